// SPDX-License-Identifier: MIT
// The address routines and the Set-Cookie parsing of the page request on
// arbitrary bytes.
//
// hostOfUrl is lower-case ASCII with no "/", and pathOfUrl begins with "/"
// and is a tail of the address; storing a header block never crashes, stores
// nothing from an over-long block, and the Cookie line sent back holds no
// line break.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cookie_store.h"
#include "resolve/header_text.h"
#include "resolve/url_parts.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string address(bytes.c_str());

  const std::string host = vumbrel::hostOfUrl(address);
  check(host.find('/') == std::string::npos);
  for (size_t i = 0; i < host.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(host[i]);
    if (c >= 0x80)
      ++i;  // a two-byte character keeps its trail byte
    else
      check(!(c >= 'A' && c <= 'Z'));
  }
  const std::string path = vumbrel::pathOfUrl(address);
  check(!path.empty() && path[0] == '/');
  check(path == "/" || address.ends_with(path));
  (void)vumbrel::portOfUrl(address);

  vumbrel::CookieStore store;
  vumbrel::storeSetCookies(store, "http://" + host, bytes);
  const std::string line =
      vumbrel::CookieStore().cookieLine("http://" + host) + store.cookieLine("http://" + host);
  check(line.find('\n') == std::string::npos);
  if (bytes.size() >= 1024) check(line.empty());
  return 0;
}
