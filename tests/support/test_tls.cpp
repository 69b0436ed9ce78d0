// SPDX-License-Identifier: MIT
#include "test_tls.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace vumbrel::test {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
  void operator()(X509* cert) const { X509_free(cert); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificates: ") + what);
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  check(extension != nullptr, "extension");
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

Cert makeCert(EVP_PKEY* key, const char* commonName, long serial, X509* issuer,
              EVP_PKEY* issuerKey) {
  Cert cert(X509_new());
  check(cert != nullptr, "X509_new");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  if (!issuer) {
    addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  } else {
    addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
    addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), signer, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    addExtension(cert.get(), signer, NID_authority_key_identifier, "keyid");
  }
  check(X509_sign(cert.get(), issuerKey, EVP_sha256()) > 0, "X509_sign");
  return cert;
}

void writePem(const std::filesystem::path& path, X509* cert, EVP_PKEY* key) {
  FILE* file = std::fopen(path.c_str(), "wb");
  check(file != nullptr, "cannot write a PEM file");
  bool ok = cert ? PEM_write_X509(file, cert) == 1
                 : PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(file);
  check(ok, "PEM_write");
}

}  // namespace

TestCertificates makeTestCertificates(const std::filesystem::path& dir) {
  Key caKey(EVP_EC_gen("P-256"));
  Key serverKey(EVP_EC_gen("P-256"));
  check(caKey && serverKey, "EVP_EC_gen");
  Cert ca = makeCert(caKey.get(), "Vumbrel Test CA", 1, nullptr, caKey.get());
  Cert server = makeCert(serverKey.get(), "127.0.0.1", 2, ca.get(), caKey.get());
  TestCertificates files{dir / "ca.pem", dir / "server.pem", dir / "server-key.pem"};
  writePem(files.caFile, ca.get(), nullptr);
  writePem(files.certFile, server.get(), nullptr);
  writePem(files.keyFile, nullptr, serverKey.get());
  return files;
}

}  // namespace vumbrel::test
