// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "http_handlers.h"

namespace vumbrel::test {

// SHA-256 fed in pieces; hex() gives the digest in small hex letters.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void update(std::string_view bytes);
  std::string hex();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

std::string sha256Hex(std::string_view bytes);
// Of a file's content; "" when it cannot be read.
std::string sha256OfFile(const std::filesystem::path& path);
// Of the `size` bytes that `source` makes from offset 0.
std::string sha256OfSource(std::uint64_t size, const BodySource& source = patternSource);

}  // namespace vumbrel::test
