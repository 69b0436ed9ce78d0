// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "platform/cookie_store.h"

namespace vumbrel {

// Whether `part` occurs anywhere in `text`, ASCII letters compared without
// regard to case.
bool containsNoCase(std::string_view text, std::string_view part);

// Stores the cookies that a response's raw header block sets, under `key`
// ("http://" and the host part). A block that would not fit the 1024-byte
// header buffer with its terminating zero stores nothing. Each line holding
// "Set-Cookie: " (any case, anywhere) loses its first 12 bytes; the name is
// what stands before the first "=", the data everything after it.
void storeSetCookies(CookieStore& cookies, const std::string& key, const std::string& rawHeaders);

}  // namespace vumbrel
