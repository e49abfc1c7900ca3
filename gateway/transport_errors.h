#pragma once
#include <cstddef>
#include <span>

// How an exchange with the gateway can fail, in one place: the steps of the exchange,
// the text each failed step leaves in the reply, and the platform's error numbers that
// can stand in those texts with what each means. The transport writes the texts, the
// dialogs show them unchanged; tests and documents read them from here.

// The steps of one exchange, in the order they run; None when every step succeeded.
enum class TransportStep {
  None,
  SplitUrl,     // "https://" + host + "/" + path taken apart; no number
  OpenSession,  // no text of its own: a failed open shows up as a failed connect
  Connect,
  OpenRequest,
  Send,         // name resolution, TCP connection, TLS, request and reply headers
  QueryStatus,
  CheckStatus,  // the HTTP status was not 200
  Read,
};

// What one exchange came to. The reply buffer it was made with holds the body when no
// step failed, and the failure text (FormatTransportFailure) when one did.
struct TransportResult {
  TransportStep FailedStep;  // None: the body is the gateway's
  int SystemError;           // the platform's error number of the failed step, else 0
  int HttpStatus;            // the status the server answered with, 0 before one came

  bool Failed() const { return FailedStep != TransportStep::None; }
  // The number a failure text carries: the HTTP status for CheckStatus, else the error.
  int Number() const { return FailedStep == TransportStep::CheckStatus ? HttpStatus : SystemError; }
};

// Writes the failure text of result into out (outSize bytes, always terminated):
// "Error: Invalid URL" for SplitUrl, otherwise "Error: HTTP <step> [<number>]" and a
// line feed; an empty text when no step failed.
void FormatTransportFailure(const TransportResult& result, char* out, size_t outSize);

// A platform (WinINet) error number that an exchange can end with.
struct TransportError {
  int number;
  const char* name;     // the platform's symbolic name
  const char* meaning;  // one plain sentence for an administrator (the Test shows it)
  // True only when a send that fails with this number certainly failed before the
  // request's first byte was written: the name lookup, the connection, or the server's
  // certificate refused in the handshake. WinINet connects during the send, so the
  // number alone tells. A number in doubt is false.
  bool sendFailsBeforeRequest;
};

// Every error number the exchange is known to end with, in ascending order.
std::span<const TransportError> TransportErrors();

// The row of number, or nullptr when it is not a known one.
const TransportError* FindTransportError(int number);

// Whether the gateway may have received the request of an exchange that failed, so
// that it may have acted on it (charged the card) although no answer came back. False
// only when the failure proves that nothing was sent:
// - every step before the send (the URL, the session, the connection and request
//   handles: WinINet makes no connection before the send);
// - a send that failed with a number whose row says so; an unknown number may have come
//   at any point of the send, so it counts as possibly received;
// - an HTTP status from 300 to 499: a server refused or redirected the request as a
//   request, without the gateway acting on it.
// True for every other failure: a send that timed out or lost its connection, a status
// that could not be read, any other status (0 when no status line came, 5xx from the
// gateway or a proxy in front of it that may have passed the request on), a failed read,
// and for an exchange that did not fail at all.
bool RequestMayHaveArrived(const TransportResult& result);
