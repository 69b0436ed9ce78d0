// SPDX-License-Identifier: MIT
#pragma once

#include <httplib.h>

#include <string>
#include <string_view>

namespace vumbrel::resolver {

// The request line made acceptable to the HTTP parser: a target that holds
// blanks or more than one "?" (an address appended to a query unescaped) has
// them percent-encoded behind its first "?". Other lines stay as they are.
// `rawTarget` receives the target exactly as it arrived.
std::string acceptableRequestLine(std::string_view line, std::string& rawTarget);

// An httplib server whose handlers see the request target exactly as the
// client sent it in Request::target, even where the parser would refuse it
// (httplib takes a second "?" or a blank for a malformed request). Serves one
// request per connection.
class RawTargetServer : public httplib::Server {
 private:
  bool process_and_close_socket(socket_t sock) override;
};

}  // namespace vumbrel::resolver
