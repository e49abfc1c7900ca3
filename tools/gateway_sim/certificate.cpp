#include "tools/gateway_sim/certificate.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace gwsim {

namespace {

constexpr int kKeyBits = 2048;
constexpr long kValiditySeconds = 10L * 365 * 24 * 60 * 60;
constexpr long kSerialNumber = 1;
constexpr mode_t kDirectoryMode = 0755;
constexpr mode_t kKeyMode = 0600;
constexpr mode_t kCertificateMode = 0644;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::string OpenSslError() {
  const unsigned long code = ERR_get_error();
  if (code == 0) return "no details";
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return text;
}

FilePtr OpenForReading(const std::string& path, const char* what, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "r"));
  if (!file) error = "cannot read " + std::string(what) + " " + path + ": " + std::strerror(errno);
  return file;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool WritePem(const std::string& path, mode_t mode, bool (*write)(FILE*, void*), void* object,
              std::string& error) {
  std::remove(path.c_str());
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  FilePtr file(descriptor >= 0 ? fdopen(descriptor, "w") : nullptr);
  if (!file) {
    if (descriptor >= 0) close(descriptor);
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  if (!write(file.get(), object) || std::fflush(file.get()) != 0) {
    error = "cannot write " + path + ": " + OpenSslError();
    return false;
  }
  return true;
}

bool WriteCertificate(FILE* file, void* object) {
  return PEM_write_X509(file, static_cast<X509*>(object)) == 1;
}

bool WriteKey(FILE* file, void* object) {
  return PEM_write_PrivateKey(file, static_cast<EVP_PKEY*>(object), nullptr, nullptr, 0,
                              nullptr, nullptr) == 1;
}

bool MakeSelfSigned(Identity& identity, std::string& error) {
  identity.key = EVP_RSA_gen(kKeyBits);
  identity.certificate = X509_new();
  if (identity.key == nullptr || identity.certificate == nullptr) {
    error = "cannot make a key: " + OpenSslError();
    return false;
  }
  X509* cert = identity.certificate;
  X509_set_version(cert, 2);  // X.509 v3
  ASN1_INTEGER_set(X509_get_serialNumber(cert), kSerialNumber);
  X509_gmtime_adj(X509_getm_notBefore(cert), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert), kValiditySeconds);
  X509_set_pubkey(cert, identity.key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(kCertificateCommonName), -1,
                             -1, 0);
  X509_set_issuer_name(cert, name);
  if (X509_sign(cert, identity.key, EVP_sha256()) == 0) {
    error = "cannot sign the certificate: " + OpenSslError();
    return false;
  }
  return true;
}

}  // namespace

Identity::~Identity() {
  X509_free(certificate);
  EVP_PKEY_free(key);
}

bool LoadIdentity(const std::string& certFile, const std::string& keyFile, Identity& identity,
                  std::string& error) {
  FilePtr certStream = OpenForReading(certFile, "certificate", error);
  if (!certStream) return false;
  identity.certificate = PEM_read_X509(certStream.get(), nullptr, nullptr, nullptr);
  if (identity.certificate == nullptr) {
    error = "certificate " + certFile + " is not a PEM certificate: " + OpenSslError();
    return false;
  }
  FilePtr keyStream = OpenForReading(keyFile, "key", error);
  if (!keyStream) return false;
  identity.key = PEM_read_PrivateKey(keyStream.get(), nullptr, nullptr, nullptr);
  if (identity.key == nullptr) {
    error = "key " + keyFile + " is not an unencrypted PEM private key: " + OpenSslError();
    return false;
  }
  if (X509_check_private_key(identity.certificate, identity.key) != 1) {
    ERR_clear_error();
    error = "key " + keyFile + " does not belong to certificate " + certFile;
    return false;
  }
  return true;
}

bool EnsureSelfSignedIdentity(const std::string& dir, std::string& certFile,
                              std::string& keyFile, std::string& error) {
  certFile = dir + "/" + kCertificateFileName;
  keyFile = dir + "/" + kKeyFileName;
  if (Exists(certFile) && Exists(keyFile)) return true;
  if (mkdir(dir.c_str(), kDirectoryMode) != 0 && errno != EEXIST) {
    error = "cannot create " + dir + ": " + std::strerror(errno);
    return false;
  }
  Identity identity;
  return MakeSelfSigned(identity, error) &&
         WritePem(keyFile, kKeyMode, WriteKey, identity.key, error) &&
         WritePem(certFile, kCertificateMode, WriteCertificate, identity.certificate,
                  error);
}

}  // namespace gwsim
