#pragma once
// A scripted stand-in for the HTTPS seam (gateway/https_client.h), for native tests of
// the transport and of the callers that post through it. Each test starts with
// ResetHttpsFake(); the script says at which step the exchange fails and with which
// error number, or which status and body the "server" answers.
#include <functional>
#include <string>
#include <vector>

namespace fake {

enum class HttpsStep { None, Connect, OpenRequest, Send, QueryStatus, Read };

struct HttpsScript {
  HttpsStep failAt = HttpsStep::None;
  int error = 0;              // HttpsLastError after the failed step
  unsigned long status = 200;
  std::string reply;          // what reads deliver, in order, until it is used up
};
extern HttpsScript https;

// What reached the "server", one entry per send.
struct HttpsExchange {
  std::string host;
  std::string objectName;
  std::string body;
};
extern std::vector<HttpsExchange> httpsExchanges;
extern int httpsSessionsOpened;
extern int httpsHandlesOpen;  // opened and not yet closed
// Called inside each send, to look at the caller's state while the exchange runs.
extern std::function<void()> onHttpsSend;

void ResetHttpsFake();

}  // namespace fake
