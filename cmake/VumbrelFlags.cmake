# SPDX-License-Identifier: MIT
# Flags shared by every target of our own. Third-party headers come in as
# SYSTEM includes, so -Werror applies to our code only.
add_library(vumbrel_flags INTERFACE)
target_compile_options(vumbrel_flags INTERFACE -Wall -Wextra -Werror
  # GCC 12 at -O3 warns of overlapping copies inside std::string that cannot
  # happen (GCC bug 105329); the Release build would not build.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
target_compile_definitions(vumbrel_flags INTERFACE
  $<$<NOT:$<CONFIG:Release>>:_GLIBCXX_ASSERTIONS>)

if(VUMBREL_SANITIZE STREQUAL "address")
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(VUMBREL_SANITIZE STREQUAL "thread")
  set(_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT VUMBREL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VUMBREL_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(_san)
  # Applied to every target, so that libraries and tests agree.
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
