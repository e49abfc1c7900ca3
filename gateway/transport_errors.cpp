#include "gateway/transport_errors.h"

#include <cstdio>

namespace {

// Redirections (3xx) and client errors (4xx): the request was turned away as it stood.
constexpr int kFirstRefusalStatus = 300;
constexpr int kLastRefusalStatus = 499;

// The last column: whether a failed send with this number proves that nothing was sent
// (see RequestMayHaveArrived). Only a failure that comes before the request's first
// byte is written may say so, and each such row says why it is certain; every row in
// doubt says false until it has been measured on Windows. What is known: WinINet writes
// the request only once the name is resolved, the connection made and the TLS
// handshake done, including its check of the server's certificate; a server may
// renegotiate TLS, or close the connection, after it has read the request. Measured
// under Wine: a gateway that never answers ends the send with 12030 once the receive
// time-out has run out, and one that resets the connection after reading the request
// lets the send succeed with status 0.
constexpr TransportError kErrors[] = {
    // A handle that has gone bad in the send: when, in the send, is not known.
    {6, "ERROR_INVALID_HANDLE",
     "Windows' internet functions could not be started for the exchange.", false},
    {8, "ERROR_NOT_ENOUGH_MEMORY",
     "Windows ran out of memory for the exchange.", false},
    // Raised by the connect, where nothing is sent yet; in the send it is in doubt.
    {87, "ERROR_INVALID_PARAMETER",
     "The Access URL has no host name.", false},
    {12001, "ERROR_INTERNET_OUT_OF_HANDLES",
     "Windows ran out of internet handles for the exchange.", false},
    // A connect time-out and a receive time-out carry the same number.
    {12002, "ERROR_INTERNET_TIMEOUT",
     "The gateway did not answer in time.", false},
    {12004, "ERROR_INTERNET_INTERNAL_ERROR",
     "Windows' internet functions failed internally.", false},
    // Certain: without an address there is no connection to write the request to.
    {12007, "ERROR_INTERNET_NAME_NOT_RESOLVED",
     "This computer cannot find the gateway's host name (DNS).", true},
    // Certain: the TCP connection was never made.
    {12029, "ERROR_INTERNET_CANNOT_CONNECT",
     "Nothing answers at this address and port.", true},
    {12030, "ERROR_INTERNET_CONNECTION_ABORTED",
     "The connection to the gateway was broken off during the exchange.", false},
    {12031, "ERROR_INTERNET_CONNECTION_RESET",
     "The gateway's side reset the connection.", false},
    // Certain, as for every certificate refused below: WinINet checks the server's
    // certificate when the handshake is done, before it writes the request.
    {12037, "ERROR_INTERNET_SEC_CERT_DATE_INVALID",
     "The gateway's certificate has expired or is not valid yet.", true},
    {12038, "ERROR_INTERNET_SEC_CERT_CN_INVALID",
     "The gateway's certificate is made out for another host name.", true},
    // A server may ask for a client certificate only after it has read the request
    // (a renegotiation), so this one proves nothing.
    {12044, "ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED",
     "The gateway asks for a client certificate, which the plug-in does not send.", false},
    // Certain: the certificate refused during the handshake.
    {12045, "ERROR_INTERNET_INVALID_CA",
     "The gateway's certificate was issued by an authority this computer does not trust.", true},
    // Certain: the certificate refused during the handshake.
    {12055, "ERROR_INTERNET_SEC_CERT_ERRORS",
     "The gateway's certificate has errors.", true},
    // Certain: the revocation check is part of the certificate's check in the handshake.
    {12056, "ERROR_INTERNET_SEC_CERT_NO_REV",
     "Whether the gateway's certificate was revoked could not be checked.", true},
    // Certain: as 12056.
    {12057, "ERROR_INTERNET_SEC_CERT_REV_FAILED",
     "The revocation check of the gateway's certificate failed.", true},
    {12150, "ERROR_HTTP_HEADER_NOT_FOUND",
     "The gateway's answer carried no HTTP status.", false},
    {12152, "ERROR_HTTP_INVALID_SERVER_RESPONSE",
     "The answer at this address and port was not a valid HTTP answer.", false},
    // In doubt: the secure channel also fails when the server renegotiates after it has
    // read the request.
    {12157, "ERROR_INTERNET_SECURITY_CHANNEL_ERROR",
     "The secure connection (TLS) to the gateway could not be set up.", false},
    // In doubt: the network may have gone during the exchange as well as before it.
    {12163, "ERROR_INTERNET_DISCONNECTED",
     "This computer is not connected to a network.", false},
    // Certain: the certificate refused during the handshake.
    {12169, "ERROR_INTERNET_SEC_INVALID_CERT",
     "The gateway's certificate is not valid.", true},
    // Certain: the certificate refused during the handshake.
    {12170, "ERROR_INTERNET_SEC_CERT_REVOKED",
     "The gateway's certificate has been revoked.", true},
    {12175, "ERROR_INTERNET_DECODING_FAILED",
     "The gateway's answer could not be decoded.", false},
};

}  // namespace

void FormatTransportFailure(const TransportResult& result, char* out, size_t outSize) {
  if (outSize == 0) return;
  const char* step = nullptr;
  switch (result.FailedStep) {
    case TransportStep::None:
      out[0] = '\0';
      return;
    case TransportStep::SplitUrl:
      std::snprintf(out, outSize, "Error: Invalid URL");
      return;
    case TransportStep::OpenSession:  // reported as the connect it makes fail
    case TransportStep::Connect:
      step = "Connect";
      break;
    case TransportStep::OpenRequest:
      step = "Open";
      break;
    case TransportStep::Send:
      step = "Send";
      break;
    case TransportStep::QueryStatus:
      step = "Query";
      break;
    case TransportStep::CheckStatus:
      step = "Server";
      break;
    case TransportStep::Read:
      step = "Read";
      break;
  }
  std::snprintf(out, outSize, "Error: HTTP %s [%d]\n", step, result.Number());
}

std::span<const TransportError> TransportErrors() { return kErrors; }

const TransportError* FindTransportError(int number) {
  for (const TransportError& row : kErrors) {
    if (row.number == number) return &row;
  }
  return nullptr;
}

bool RequestMayHaveArrived(const TransportResult& result) {
  const int number = result.Number();
  switch (result.FailedStep) {
    case TransportStep::SplitUrl:
    case TransportStep::OpenSession:
    case TransportStep::Connect:
    case TransportStep::OpenRequest:
      return false;
    case TransportStep::Send: {
      const TransportError* row = FindTransportError(number);
      return row == nullptr || !row->sendFailsBeforeRequest;
    }
    case TransportStep::CheckStatus:
      return number < kFirstRefusalStatus || number > kLastRefusalStatus;
    case TransportStep::None:
    case TransportStep::QueryStatus:
    case TransportStep::Read:
      break;
  }
  return true;
}
