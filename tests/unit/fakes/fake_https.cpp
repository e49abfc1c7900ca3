#include "fakes/fake_https.h"

#include <cstring>

#include "gateway/https_client.h"

namespace fake {

HttpsScript https;
std::vector<HttpsExchange> httpsExchanges;
int httpsSessionsOpened = 0;
int httpsHandlesOpen = 0;
std::function<void()> onHttpsSend;

namespace {

struct Handle {
  std::string host;
  std::string objectName;
  size_t readOffset = 0;
};

// Fixed pool: the transport never holds more than three handles at once.
constexpr int kHandleCount = 8;
Handle handles[kHandleCount];
bool inUse[kHandleCount];
int lastError = 0;

HttpsHandle Open(const Handle& from) {
  for (int i = 0; i < kHandleCount; ++i) {
    if (!inUse[i]) {
      inUse[i] = true;
      handles[i] = from;
      ++httpsHandlesOpen;
      return &handles[i];
    }
  }
  return nullptr;
}

bool Fails(HttpsStep step) {
  if (https.failAt != step) return false;
  lastError = https.error;
  return true;
}

}  // namespace

void ResetHttpsFake() {
  https = HttpsScript{};
  httpsExchanges.clear();
  httpsSessionsOpened = 0;
  httpsHandlesOpen = 0;
  onHttpsSend = nullptr;
  for (bool& used : inUse) used = false;
  lastError = 0;
}

}  // namespace fake

using fake::Handle;

HttpsHandle HttpsOpenSession() {
  ++fake::httpsSessionsOpened;
  return fake::Open(Handle{});
}

HttpsHandle HttpsConnect(HttpsHandle session, const char* host) {
  if (session == nullptr || fake::Fails(fake::HttpsStep::Connect)) return nullptr;
  return fake::Open(Handle{host, "", 0});
}

HttpsHandle HttpsOpenRequest(HttpsHandle connection, const char* objectName) {
  if (connection == nullptr || fake::Fails(fake::HttpsStep::OpenRequest)) return nullptr;
  return fake::Open(Handle{static_cast<Handle*>(connection)->host, objectName, 0});
}

bool HttpsSend(HttpsHandle request, const char* body, unsigned long length) {
  if (fake::onHttpsSend) fake::onHttpsSend();
  if (fake::Fails(fake::HttpsStep::Send)) return false;
  const Handle& h = *static_cast<Handle*>(request);
  fake::httpsExchanges.push_back({h.host, h.objectName, std::string(body, length)});
  return true;
}

bool HttpsQueryStatus(HttpsHandle, unsigned long* status) {
  if (fake::Fails(fake::HttpsStep::QueryStatus)) return false;
  *status = fake::https.status;
  return true;
}

bool HttpsRead(HttpsHandle request, char* buffer, unsigned long size, unsigned long* count) {
  if (fake::Fails(fake::HttpsStep::Read)) return false;
  Handle& h = *static_cast<Handle*>(request);
  const std::string& reply = fake::https.reply;
  const size_t left = reply.size() - h.readOffset;
  const size_t n = left < size ? left : size;
  std::memcpy(buffer, reply.data() + h.readOffset, n);
  h.readOffset += n;
  *count = static_cast<unsigned long>(n);
  return true;
}

void HttpsClose(HttpsHandle handle) {
  if (handle == nullptr) return;
  const int index = static_cast<int>(static_cast<Handle*>(handle) - fake::handles);
  if (fake::inUse[index]) {
    fake::inUse[index] = false;
    --fake::httpsHandlesOpen;
  }
}

int HttpsLastError() { return fake::lastError; }
