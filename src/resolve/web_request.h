// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/web_session.h"

namespace vumbrel {

// Fetches `address` with one HTTP/1.1 request and returns the response body
// whatever the status ("" for every failure; the bytes that came when a read
// fails partway). The request line carries `method` as given and
// pathOfUrl(address), its bytes that cannot stand there percent-encoded.
//
// `address` gets "http://" put in front unless it starts with "http://" or
// "https://" (exact case). `headers` (lines ending in CR LF) gets the default
// Accept, Referer and Accept-Language lines appended, each unless its
// "Name: " already occurs anywhere in it (any case), and for a POST with a
// body the Content-Type and Content-Length lines. Methods other than GET
// (also "" and any case) and POST send nothing and give "". A `proxy` with
// more than blanks carries every host. Redirects are followed (at most 10);
// "https://" goes over verified TLS, on port 443 unless one is named.
//
// Set-Cookie lines of the final response are stored under "http://" +
// hostOfUrl of the address that gave it, unless its header block is over
// 1023 bytes; a request carries the cookies stored for its host part.
// decodeMode 1 converts the body (up to its first zero byte) with
// utf8ToAnsi, 2 with big5ToGbk; any other value returns it as received.
std::string webRequest(std::string& address, const std::string& method, const std::string& proxy,
                       std::string& headers, const std::string& postData, int decodeMode);

// The workflow's call: GET, direct, no extra headers, no decoding.
std::string webRequest(std::string& address);

// As above, with the cookies and settings of `session` in place of the
// process's.
std::string webRequest(WebSession& session, std::string& address, const std::string& method,
                       const std::string& proxy, std::string& headers, const std::string& postData,
                       int decodeMode);

}  // namespace vumbrel
