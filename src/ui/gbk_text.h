// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstddef>
#include <string>

// The widget edge: the system's texts are GBK bytes, the widgets hold QStrings.
namespace vumbrel::ui {

// A GBK text as a QString; the text ends at its first zero byte.
QString fromGbk(const std::string& gbk);
// A QString as GBK bytes; a character GBK lacks becomes '?'.
std::string toGbk(const QString& text);
// The first `limit` bytes of a GBK text, one byte fewer when the cut would
// split a two-byte character.
std::string cutGbk(const std::string& gbk, size_t limit);

}  // namespace vumbrel::ui
