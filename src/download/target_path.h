// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace vumbrel {

// The longest file name the file system takes, in bytes of its encoding (UTF-8).
constexpr size_t kMaxFileNameBytes = 255;
// Room kept free in a file name for the mark ("(99)") that the engine adds
// when it renames a download whose file already exists.
constexpr size_t kRenameRoomBytes = 4;

// The file of a row, as a GBK text like every path handed to the engine: the
// save folder, "/", the title and ".mp4". A title whose file name would not
// fit the file system, with room for a rename mark, is cut at a character
// boundary (to at most 247 bytes in UTF-8); the folder is kept whole.
std::string targetPath(const std::string& folder, const std::string& title);

// The longest prefix of a GBK text, ending at a character boundary, whose
// UTF-8 form has at most `maxBytes` bytes.
std::string fitGbkText(const std::string& text, size_t maxBytes);

}  // namespace vumbrel
