// SPDX-License-Identifier: MIT
#include "digest.h"

#include <openssl/evp.h>

#include <fstream>
#include <vector>

namespace vumbrel::test {

struct Sha256::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::update(std::string_view bytes) {
  EVP_DigestUpdate(state_->context, bytes.data(), bytes.size());
}

std::string Sha256::hex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(state_->context, digest, &length);
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += digits[digest[i] >> 4];
    text += digits[digest[i] & 15];
  }
  return text;
}

std::string sha256Hex(std::string_view bytes) {
  Sha256 sha;
  sha.update(bytes);
  return sha.hex();
}

std::string sha256OfFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  Sha256 sha;
  std::vector<char> chunk(1 << 20);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0)
    sha.update(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
  return sha.hex();
}

std::string sha256OfSource(std::uint64_t size, const BodySource& source) {
  Sha256 sha;
  std::vector<char> chunk(1 << 20);
  for (std::uint64_t offset = 0; offset < size;) {
    std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - offset));
    source(offset, chunk.data(), count);
    sha.update(std::string_view(chunk.data(), count));
    offset += count;
  }
  return sha.hex();
}

}  // namespace vumbrel::test
