// SPDX-License-Identifier: MIT
#include "platform/download_path.h"

#include <sys/stat.h>

#include "resolve/code_pages.h"

namespace vumbrel::engine {

std::string nativePath(const std::string& textPath) { return gbkToUtf8(textPath); }

std::string numberedPath(const std::string& textPath, int n) {
  // '/' and '.' never occur as the second byte of a GBK character.
  const size_t slash = textPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = textPath.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) dot = textPath.size();
  return textPath.substr(0, dot) + "(" + std::to_string(n) + ")" + textPath.substr(dot);
}

bool pathExists(const std::string& textPath) {
  struct stat st {};
  return ::lstat(nativePath(textPath).c_str(), &st) == 0;
}

}  // namespace vumbrel::engine
