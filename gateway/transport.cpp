#include "gateway/transport.h"

#include <cstring>

namespace {

constexpr char kScheme[] = "https://";
constexpr size_t kSchemeLength = sizeof kScheme - 1;
constexpr unsigned long kStatusOk = 200;

TransportResult Failure(char* reply, TransportStep step, int systemError, int httpStatus) {
  const TransportResult result{step, systemError, httpStatus};
  FormatTransportFailure(result, reply, kReplyCapacity + 1);
  return result;
}

TransportResult StepFailure(char* reply, TransportStep step) {
  // Taken before anything else runs, so that no later call can overwrite the number.
  return Failure(reply, step, HttpsLastError(), 0);
}

void CopyBounded(char* destination, const char* source) {
  std::strncpy(destination, source, kGatewayNameSize - 1);
  destination[kGatewayNameSize - 1] = '\0';
}

// The steps after the request has been opened.
TransportResult Exchange(HttpsHandle request, const char* host, const char* body, char* reply,
                         GatewayCertificate* certificate) {
  const bool sent = HttpsSend(request, body, static_cast<unsigned long>(std::strlen(body)));
  TransportResult failed{};
  if (!sent) failed = StepFailure(reply, TransportStep::Send);
  // Also after a failed send: a certificate that failed the checks is worth showing.
  if (certificate != nullptr) certificate->present = HttpsQueryCertificate(request, host, certificate);
  if (!sent) return failed;
  unsigned long status = 0;
  if (!HttpsQueryStatus(request, &status)) return StepFailure(reply, TransportStep::QueryStatus);
  const int httpStatus = static_cast<int>(status);
  if (status != kStatusOk) return Failure(reply, TransportStep::CheckStatus, 0, httpStatus);
  unsigned long count = 0;
  if (!HttpsRead(request, reply, kReplyCapacity, &count)) {
    TransportResult result = StepFailure(reply, TransportStep::Read);
    result.HttpStatus = httpStatus;
    return result;
  }
  reply[count < kReplyCapacity ? count : kReplyCapacity] = '\0';
  return TransportResult{TransportStep::None, 0, httpStatus};
}

// Decimal digits only, 1 to 65535.
bool ParsePort(const char* text, unsigned* port) {
  unsigned value = 0;
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    value = value * 10 + static_cast<unsigned>(*text - '0');
    if (value > kMaxGatewayPort) return false;
  }
  if (value == 0) return false;
  *port = value;
  return true;
}

}  // namespace

bool SplitGatewayUrl(const char* url, char* host, char* objectName, unsigned* port) {
  if (std::strncmp(url, kScheme, kSchemeLength) != 0) return false;
  CopyBounded(host, url + kSchemeLength);
  char* slash = std::strchr(host, '/');
  if (slash == nullptr) return false;
  CopyBounded(objectName, slash + 1);
  *slash = '\0';
  *port = kDefaultGatewayPort;
  // A bracketed address has colons of its own: the port's colon follows the bracket.
  char* close = host[0] == '[' ? std::strchr(host, ']') : host;
  char* colon = close != nullptr ? std::strchr(close, ':') : nullptr;
  if (colon != nullptr) {
    if (!ParsePort(colon + 1, port)) return false;
    *colon = '\0';
  }
  return host[0] != '\0';
}

TransportResult PostToGateway(const char* url, CertificateChecks checks, const char* body,
                              char* reply, GatewayCertificate* certificate) {
  reply[0] = '\0';
  if (certificate != nullptr) *certificate = GatewayCertificate{};
  char host[kGatewayNameSize];
  char objectName[kGatewayNameSize];
  unsigned port = kDefaultGatewayPort;
  if (!SplitGatewayUrl(url, host, objectName, &port)) {
    return Failure(reply, TransportStep::SplitUrl, 0, 0);
  }

  // The session's result is not tested: a failed open shows up as a failed connect.
  HttpsHandle session = HttpsOpenSession();
  HttpsLimitWaits(session, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  HttpsHandle connection = HttpsConnect(session, host, port);
  if (connection == nullptr) {
    const TransportResult result = StepFailure(reply, TransportStep::Connect);
    HttpsClose(session);
    return result;
  }
  HttpsHandle request = HttpsOpenRequest(connection, objectName, checks);
  if (request == nullptr) {
    const TransportResult result = StepFailure(reply, TransportStep::OpenRequest);
    HttpsClose(connection);
    HttpsClose(session);
    return result;
  }
  HttpsLimitWaits(request, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  const TransportResult result = Exchange(request, host, body, reply, certificate);
  HttpsClose(request);
  HttpsClose(connection);
  HttpsClose(session);
  return result;
}
