// SPDX-License-Identifier: MIT
#include "platform/download_path.h"

#include <sys/stat.h>
#include <unicode/ucnv.h>

#include <vector>

namespace vumbrel::engine {

std::string nativePath(const std::string& textPath) {
  bool ascii = true;
  for (unsigned char c : textPath) ascii = ascii && c < 0x80;
  if (ascii) return textPath;
  UErrorCode status = U_ZERO_ERROR;
  UConverter* gbk = ucnv_open("GBK", &status);
  if (U_FAILURE(status)) return textPath;
  // Stop at the first byte that is not GBK rather than inventing characters.
  ucnv_setToUCallBack(gbk, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  std::vector<UChar> wide(textPath.size() + 1);
  const int32_t length =
      ucnv_toUChars(gbk, wide.data(), static_cast<int32_t>(wide.size()), textPath.data(),
                    static_cast<int32_t>(textPath.size()), &status);
  ucnv_close(gbk);
  if (U_FAILURE(status)) return textPath;
  UConverter* utf8 = ucnv_open("UTF-8", &status);
  std::string out(static_cast<size_t>(length) * 3 + 1, '\0');
  const int32_t written = ucnv_fromUChars(utf8, out.data(), static_cast<int32_t>(out.size()),
                                          wide.data(), length, &status);
  ucnv_close(utf8);
  if (U_FAILURE(status)) return textPath;
  out.resize(static_cast<size_t>(written));
  return out;
}

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
