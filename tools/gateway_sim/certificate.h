#pragma once
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

// The simulator's TLS identity.
namespace gwsim {

inline constexpr const char* kCertificateFileName = "server.pem";
inline constexpr const char* kKeyFileName = "server.key";
inline constexpr const char* kCertificateCommonName = "gateway.test";

// A certificate and its key, freed on destruction.
struct Identity {
  X509* certificate = nullptr;
  EVP_PKEY* key = nullptr;

  Identity() = default;
  Identity(const Identity&) = delete;
  Identity& operator=(const Identity&) = delete;
  ~Identity();
};

// Reads a PEM certificate and a PEM private key and checks that they belong
// together. False with a one-line reason naming the file in error.
bool LoadIdentity(const std::string& certFile, const std::string& keyFile, Identity& identity,
                  std::string& error);

// Makes dir/server.pem and dir/server.key, a self-signed CN=gateway.test certificate
// (RSA 2048, SHA-256, valid ten years from now) and its key (mode 0600), unless both
// are there already; dir is created if missing. Sets certFile and keyFile to the two
// paths. False with a reason in error.
bool EnsureSelfSignedIdentity(const std::string& dir, std::string& certFile,
                              std::string& keyFile, std::string& error);

}  // namespace gwsim
