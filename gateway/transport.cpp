#include "gateway/transport.h"

#include <cstdio>
#include <cstring>

#include "gateway/https_client.h"
#include "settings/module_state.h"

char ReplyBuffer[kReplyCapacity + 1];

namespace {

const ModuleStateReset kResetReply{[] { std::memset(ReplyBuffer, 0, sizeof ReplyBuffer); }};

constexpr char kScheme[] = "https://";
constexpr size_t kSchemeLength = sizeof kScheme - 1;
constexpr unsigned long kStatusOk = 200;

constexpr char kInvalidUrlText[] = "Error: Invalid URL";
constexpr char kConnectErrorFormat[] = "Error: HTTP Connect [%d]\n";
constexpr char kOpenErrorFormat[] = "Error: HTTP Open [%d]\n";
constexpr char kSendErrorFormat[] = "Error: HTTP Send [%d]\n";
constexpr char kQueryErrorFormat[] = "Error: HTTP Query [%d]\n";
constexpr char kServerErrorFormat[] = "Error: HTTP Server [%d]\n";
constexpr char kReadErrorFormat[] = "Error: HTTP Read [%d]\n";

void ReportFailure(char* reply, const char* format, int number) {
  std::snprintf(reply, kReplyCapacity + 1, format, number);
}

void ReportStepFailure(char* reply, const char* format) {
  // Taken before anything else runs, so that no later call can overwrite the number.
  ReportFailure(reply, format, HttpsLastError());
}

void CopyBounded(char* destination, const char* source) {
  std::strncpy(destination, source, kGatewayNameSize - 1);
  destination[kGatewayNameSize - 1] = '\0';
}

// The steps after the request has been opened; every outcome leaves its text in reply.
void Exchange(HttpsHandle request, const char* body, char* reply) {
  if (!HttpsSend(request, body, static_cast<unsigned long>(std::strlen(body)))) {
    ReportStepFailure(reply, kSendErrorFormat);
    return;
  }
  unsigned long status = 0;
  if (!HttpsQueryStatus(request, &status)) {
    ReportStepFailure(reply, kQueryErrorFormat);
    return;
  }
  if (status != kStatusOk) {
    ReportFailure(reply, kServerErrorFormat, static_cast<int>(status));
    return;
  }
  unsigned long count = 0;
  if (!HttpsRead(request, reply, kReplyCapacity, &count)) {
    ReportStepFailure(reply, kReadErrorFormat);
    return;
  }
  reply[count < kReplyCapacity ? count : kReplyCapacity] = '\0';
}

}  // namespace

bool SplitGatewayUrl(const char* url, char* host, char* objectName) {
  if (std::strncmp(url, kScheme, kSchemeLength) != 0) return false;
  CopyBounded(host, url + kSchemeLength);
  char* slash = std::strchr(host, '/');
  if (slash == nullptr) return false;
  CopyBounded(objectName, slash + 1);
  *slash = '\0';
  return true;
}

void PostToGateway(const char* url, const char* body, char* reply) {
  reply[0] = '\0';
  char host[kGatewayNameSize];
  char objectName[kGatewayNameSize];
  if (!SplitGatewayUrl(url, host, objectName)) {
    std::memcpy(reply, kInvalidUrlText, sizeof kInvalidUrlText);
    return;
  }

  // The session's result is not tested: a failed open shows up as a failed connect.
  HttpsHandle session = HttpsOpenSession();
  HttpsLimitWaits(session, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  HttpsHandle connection = HttpsConnect(session, host);
  if (connection == nullptr) {
    ReportStepFailure(reply, kConnectErrorFormat);
    HttpsClose(session);
    return;
  }
  HttpsHandle request = HttpsOpenRequest(connection, objectName);
  if (request == nullptr) {
    ReportStepFailure(reply, kOpenErrorFormat);
    HttpsClose(connection);
    HttpsClose(session);
    return;
  }
  HttpsLimitWaits(request, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  Exchange(request, body, reply);
  HttpsClose(request);
  HttpsClose(connection);
  HttpsClose(session);
}
