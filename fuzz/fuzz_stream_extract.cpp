// SPDX-License-Identifier: MIT
// The resolver's page extraction on arbitrary pages. Every address it finds
// is http or https, appears once, and survives the trip through the replies
// the app reads with its own markers: the stream list gives back exactly the
// same items, and the page reply gives back each address as its value.
//
// Input: the page address up to the first line feed, then the page.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "resolve/text_between.h"
#include "resolver/address.h"
#include "resolver/replies.h"
#include "resolver/stream_extract.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  std::string pageAddress = "http://127.0.0.1/course/page.html";
  std::string page = input;
  if (newline != std::string::npos) {
    pageAddress = input.substr(0, newline);
    page = input.substr(newline + 1);
  }
  if (!vumbrel::resolver::isHttpAddress(pageAddress)) return 0;

  const std::vector<std::string> found =
      vumbrel::resolver::extractStreamAddresses(page, pageAddress);
  check(std::set<std::string>(found.begin(), found.end()).size() == found.size());
  for (const std::string& address : found) {
    check(vumbrel::resolver::isHttpAddress(address));
    check(address.find('\0') == std::string::npos);
    const std::string reply = vumbrel::resolver::pageReply(200, address);
    check(vumbrel::textBetween(reply, "\"url\": \"", "\"") == address);
  }

  std::vector<std::string> items;
  vumbrel::textBetween(vumbrel::resolver::streamListReply(found, "fuzz"), "[CDATA[", "]]", &items,
                       true);
  check(items == found);
  return 0;
}
