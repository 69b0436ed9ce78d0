// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vumbrel::resolver {

// The address carried by the raw request target `target`: everything behind
// the first "url=" of its query, "&", "?" and all, as the client sent it
// (clients append it without escaping). Only an address that was encoded
// whole ("http%3A%2F%2F...") is decoded, once; nothing else is touched.
// "" when there is no "url=".
std::string queryAddress(std::string_view target);

// {"code": <code>, "url": "<address>"}. The address must be in reply form,
// so that it holds no double quote and the value ends at the next one.
std::string pageReply(int code, std::string_view address);

// An XML list of `addresses` (each in reply form, so none holds "]]"), one
// CDATA section per item, in order. `source` names who found them.
std::string streamListReply(const std::vector<std::string>& addresses, std::string_view source);

}  // namespace vumbrel::resolver
