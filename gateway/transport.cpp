#include "gateway/transport.h"

#include <cstring>

#include "gateway/https_client.h"
#include "gateway/transport_errors.h"
#include "settings/module_state.h"
#include "settings/settings.h"

char ReplyBuffer[kReplyCapacity + 1];

namespace {

const ModuleStateReset kResetReply{[] { std::memset(ReplyBuffer, 0, sizeof ReplyBuffer); }};

constexpr char kScheme[] = "https://";
constexpr size_t kSchemeLength = sizeof kScheme - 1;
constexpr unsigned long kStatusOk = 200;

void ReportFailure(char* reply, TransportStep step, int number) {
  FormatTransportFailure(step, number, reply, kReplyCapacity + 1);
}

void ReportStepFailure(char* reply, TransportStep step) {
  // Taken before anything else runs, so that no later call can overwrite the number.
  ReportFailure(reply, step, HttpsLastError());
}

void CopyBounded(char* destination, const char* source) {
  std::strncpy(destination, source, kGatewayNameSize - 1);
  destination[kGatewayNameSize - 1] = '\0';
}

// The steps after the request has been opened; every outcome leaves its text in reply.
void Exchange(HttpsHandle request, const char* body, char* reply, GatewayCertificate* certificate) {
  const bool sent = HttpsSend(request, body, static_cast<unsigned long>(std::strlen(body)));
  if (!sent) ReportStepFailure(reply, TransportStep::Send);
  // Also after a failed send: a certificate that failed the checks is worth showing.
  if (certificate != nullptr) certificate->present = HttpsQueryCertificate(request, certificate);
  if (!sent) return;
  unsigned long status = 0;
  if (!HttpsQueryStatus(request, &status)) {
    ReportStepFailure(reply, TransportStep::QueryStatus);
    return;
  }
  if (status != kStatusOk) {
    ReportFailure(reply, TransportStep::CheckStatus, static_cast<int>(status));
    return;
  }
  unsigned long count = 0;
  if (!HttpsRead(request, reply, kReplyCapacity, &count)) {
    ReportStepFailure(reply, TransportStep::Read);
    return;
  }
  reply[count < kReplyCapacity ? count : kReplyCapacity] = '\0';
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

void PostToGateway(const char* url, const char* body, char* reply, GatewayCertificate* certificate) {
  reply[0] = '\0';
  if (certificate != nullptr) *certificate = GatewayCertificate{};
  char host[kGatewayNameSize];
  char objectName[kGatewayNameSize];
  unsigned port = kDefaultGatewayPort;
  if (!SplitGatewayUrl(url, host, objectName, &port)) {
    ReportFailure(reply, TransportStep::SplitUrl, 0);
    return;
  }

  // The session's result is not tested: a failed open shows up as a failed connect.
  HttpsHandle session = HttpsOpenSession();
  HttpsLimitWaits(session, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  HttpsHandle connection = HttpsConnect(session, host, port);
  if (connection == nullptr) {
    ReportStepFailure(reply, TransportStep::Connect);
    HttpsClose(session);
    return;
  }
  const CertificateChecks checks =
      CurrentSettings.StrictCertificates ? CertificateChecks::Strict : CertificateChecks::Lenient;
  HttpsHandle request = HttpsOpenRequest(connection, objectName, checks);
  if (request == nullptr) {
    ReportStepFailure(reply, TransportStep::OpenRequest);
    HttpsClose(connection);
    HttpsClose(session);
    return;
  }
  HttpsLimitWaits(request, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  Exchange(request, body, reply, certificate);
  HttpsClose(request);
  HttpsClose(connection);
  HttpsClose(session);
}
