// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace vumbrel {

// A thin layer over ICU's converters and its "Traditional-Simplified"
// transliterator. Every thread keeps its own converter and transliterator
// objects (ICU's are not shareable), created on the thread's first use; the
// functions are safe to call from any thread.

enum class Charset {
  Utf8,  // ICU "UTF-8"
  Gbk,   // ICU "windows-936-2000"
  Big5,  // ICU "windows-950-2000"
};

// What encoding does with a character that the target charset lacks.
enum class Unmappable {
  Question,  // it becomes one "?" (UTF-8 output has no such character)
  Stop,      // the output ends just before it
};

// All of bytes decoded into UTF-16, zero bytes included. A malformed or
// unassigned sequence becomes U+FFFD.
std::u16string decodeCharset(std::string_view bytes, Charset charset);

// The UTF-16 units encoded into charset, without best-fit mappings; an
// unpaired surrogate counts as a character the charset lacks.
std::string encodeCharset(std::u16string_view units, Charset charset, Unmappable unmappable);

// What the "Traditional-Simplified" transliterator makes of the one code
// point c (often c itself; may be longer than one code point).
std::u16string transliterateToSimplified(char32_t c);

}  // namespace vumbrel
