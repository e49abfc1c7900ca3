#include "fakes/fake_https.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gateway/https_client.h"

namespace fake {

HttpsScript https;
std::vector<std::string> httpsCalls;

namespace {

char sessionTag, connectionTag, requestTag;
int lastError = 0;

// A real client's later calls may change the last error; so does this one, so that a
// number taken too late shows up as wrong.
constexpr int kClobberedError = 999999;
// What WinINet reports for a null handle.
constexpr int kInvalidHandleError = 6;

bool Fails(TransportStep step) {
  if (https.failingStep != step) return false;
  lastError = https.errorNumber;
  return true;
}

std::string NameOf(HttpsHandle handle) {
  if (handle == &sessionTag) return "session";
  if (handle == &connectionTag) return "connection";
  if (handle == &requestTag) return "request";
  return handle == nullptr ? "null" : "unknown";
}

}  // namespace

TransportResult Failure(TransportStep step, int number) {
  if (step == TransportStep::CheckStatus) return TransportResult{step, 0, number};
  return TransportResult{step, number, 0};
}

std::string FailureText(TransportStep step, int number) {
  char text[64];
  FormatTransportFailure(Failure(step, number), text, sizeof text);
  return text;
}

void ResetHttps() {
  https = HttpsScript{};
  httpsCalls.clear();
  lastError = 0;
}

}  // namespace fake

using fake::httpsCalls;

HttpsHandle HttpsOpenSession() {
  httpsCalls.push_back("open");
  return fake::Fails(TransportStep::OpenSession) ? nullptr : &fake::sessionTag;
}

HttpsHandle HttpsConnect(HttpsHandle session, const char* host, unsigned port) {
  httpsCalls.push_back("connect " + std::string(host) + (port == 443 ? "" : ":" + std::to_string(port)));
  // A null session makes the connect fail, as WinINet's does.
  if (session == nullptr) {
    fake::lastError = fake::kInvalidHandleError;
    return nullptr;
  }
  return fake::Fails(TransportStep::Connect) ? nullptr : &fake::connectionTag;
}

HttpsHandle HttpsOpenRequest(HttpsHandle connection, const char* objectName,
                             CertificateChecks checks) {
  httpsCalls.push_back("request " + std::string(objectName) +
                       (checks == CertificateChecks::Strict ? " strict" : ""));
  if (connection != &fake::connectionTag) return nullptr;
  return fake::Fails(TransportStep::OpenRequest) ? nullptr : &fake::requestTag;
}

bool HttpsSend(HttpsHandle request, const char* body, unsigned long length) {
  httpsCalls.push_back("send " + std::to_string(length) + " " + std::string(body, length));
  if (fake::https.duringSend) fake::https.duringSend();
  return request == &fake::requestTag && !fake::Fails(TransportStep::Send);
}

bool HttpsQueryStatus(HttpsHandle request, unsigned long* status) {
  httpsCalls.push_back("query");
  if (request != &fake::requestTag || fake::Fails(TransportStep::QueryStatus)) return false;
  *status = fake::https.status;
  return true;
}

bool HttpsRead(HttpsHandle request, char* buffer, unsigned long size, unsigned long* count) {
  httpsCalls.push_back("read " + std::to_string(size));
  if (request != &fake::requestTag || fake::Fails(TransportStep::Read)) return false;
  const size_t n = std::min<size_t>({fake::https.body.size(), size, fake::https.maxDelivered});
  std::memcpy(buffer, fake::https.body.data(), n);
  *count = static_cast<unsigned long>(n);
  return true;
}

void HttpsClose(HttpsHandle handle) {
  httpsCalls.push_back("close " + fake::NameOf(handle));
  fake::lastError = fake::kClobberedError;
}

int HttpsLastError() { return fake::lastError; }

bool HttpsQueryCertificate(HttpsHandle request, const char* host, GatewayCertificate* certificate) {
  httpsCalls.push_back("certificate");
  fake::lastError = fake::kClobberedError;
  if (request != &fake::requestTag || !fake::https.certificate) return false;
  *certificate = *fake::https.certificate;
  std::snprintf(certificate->host, sizeof certificate->host, "%s", host);
  return true;
}

void HttpsLimitWaits(HttpsHandle handle, unsigned long connectMs, unsigned long sendMs,
                     unsigned long receiveMs) {
  httpsCalls.push_back("limit " + fake::NameOf(handle) + " " + std::to_string(connectMs) + " " +
                       std::to_string(sendMs) + " " + std::to_string(receiveMs));
  if (handle != nullptr) fake::lastError = fake::kClobberedError;
}
