#pragma once
// A scripted stand-in for the HTTPS seam (gateway/https_client.h). Each test starts
// with fake::ResetHttps().
#include <functional>
#include <string>
#include <vector>

namespace fake {

enum class HttpsStep { None, OpenSession, Connect, OpenRequest, Send, QueryStatus, Read };

struct HttpsScript {
  HttpsStep failingStep = HttpsStep::None;  // this step fails with errorNumber
  int errorNumber = 0;
  unsigned long status = 200;
  std::string body;                          // what the server answers
  unsigned long maxDelivered = 0xFFFFFFFF;   // a read delivers at most this many bytes
  std::function<void()> duringSend;          // runs inside the send, before it returns
};
extern HttpsScript https;

// Every seam call in order: "open", "limit <handle> <c> <s> <r>", "connect <host>",
// "request <object>", "send <length> <body>", "query", "read <size>",
// "close <handle>", where <handle> is session, connection or request.
extern std::vector<std::string> httpsCalls;

void ResetHttps();

}  // namespace fake
