// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vumbrel::resolver {

// Every string value of a "contentUrl" member in the JSON text `json`, at any
// depth, in order, with JSON escapes decoded (\/ \" \uXXXX and the rest; the
// result is UTF-8). Reads forgivingly: text that is not JSON yields what can
// be recognised, and a string that merely contains "contentUrl" is no match.
std::vector<std::string> jsonContentUrls(std::string_view json);

}  // namespace vumbrel::resolver
