// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include "loopback_server.h"

namespace vumbrel::test {

// A throw-away certificate authority and a server certificate it signed, for
// "127.0.0.1" and "localhost", as PEM files.
struct TestCertificates {
  std::filesystem::path caFile;    // the CA's certificate: what a client trusts
  std::filesystem::path certFile;  // the server's certificate
  std::filesystem::path keyFile;   // the server's private key
  TlsIdentity identity() const { return {certFile, keyFile}; }
};

// Creates the CA and the server certificate (P-256 keys, valid from a day ago
// for ten years) in `dir`, as ca.pem, server.pem and server-key.pem. Throws
// std::runtime_error when OpenSSL fails.
TestCertificates makeTestCertificates(const std::filesystem::path& dir);

}  // namespace vumbrel::test
