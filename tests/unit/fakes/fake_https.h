#pragma once
// A scripted stand-in for the HTTPS seam (gateway/https_client.h). Each test starts
// with fake::ResetHttps().
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gateway/certificate.h"
#include "gateway/transport_errors.h"

namespace fake {

struct HttpsScript {
  // The seam call of this step fails with errorNumber: OpenSession, Connect,
  // OpenRequest, Send, QueryStatus or Read.
  std::optional<TransportStep> failingStep;
  int errorNumber = 0;
  unsigned long status = 200;
  std::string body;                          // what the server answers
  unsigned long maxDelivered = 0xFFFFFFFF;   // a read delivers at most this many bytes
  std::function<void()> duringSend;          // runs inside the send, before it returns
  // What the certificate query reports after the send (also a failed one); none: no
  // certificate was met.
  std::optional<GatewayCertificate> certificate;
};
extern HttpsScript https;

// Every seam call in order: "open", "limit <handle> <c> <s> <r>", "connect <host>",
// "request <object>" (" strict" added for strict certificate checks),
// "send <length> <body>", "certificate", "query", "read <size>", "close <handle>",
// where <handle> is session, connection or request.
extern std::vector<std::string> httpsCalls;

void ResetHttps();

// The result of an exchange that failed at step with number (the HTTP status for
// CheckStatus, else the error number), and the text the transport leaves for it.
TransportResult Failure(TransportStep step, int number);
std::string FailureText(TransportStep step, int number);

}  // namespace fake
