// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace vumbrel {

// The host part of a page address, in small letters, with any port still
// attached: every "https://" and then every "http://" is taken out wherever
// it stands (exact letter case), and what is left is cut before its first
// "/". Double-byte GBK characters keep their bytes.
std::string hostOfUrl(const std::string& address);

// The path with its query, from the first "/" at or after the host part's
// first (case-insensitive) occurrence in the address; "/" when there is none.
std::string pathOfUrl(const std::string& address);

// The port the address names: the number after the first colon of its
// host-and-port text ("80" when it has no colon), read as a decimal number
// the way strtod reads one and cut toward zero; 0 when that text does not
// start with a number. Every "https://" address gives 0, since its
// host-and-port text is "https:". 0 means the scheme's default port.
int portOfUrl(const std::string& address);

}  // namespace vumbrel
