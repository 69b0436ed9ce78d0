// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace vumbrel::engine {

// Task paths are GBK texts; the file system takes UTF-8 (the same conversion
// as the start's deletion of an old file, so both name the same file).
std::string nativePath(const std::string& textPath);

// The n-th alternative name of a path: "dir/name(n).ext", or "dir/name(n)"
// when the file name has no extension.
std::string numberedPath(const std::string& textPath, int n);

// Whether something exists at the (text) path.
bool pathExists(const std::string& textPath);

}  // namespace vumbrel::engine
