#include "dialogs/troubleshooting.h"

#include "gateway/exchange_outcome.h"

namespace {

constexpr const char* kGatewayErrorTextLine = "The gateway answered with an error text of its own.";

// The HTTP statuses the gateway's server may answer with instead of 200, with the
// plain line of each.
struct StatusLine {
  int status;
  const char* plainLine;
};

constexpr StatusLine kStatusLines[] = {
    {0, "The connection closed after the request, before the gateway answered."},
    {400, "The gateway's server refused the request as malformed (HTTP 400)."},
    {403, "The gateway's server refuses this station (HTTP 403)."},
    {404, "There is no gateway at this path of the server (HTTP 404)."},
    {500, "The gateway's server failed while handling the request (HTTP 500)."},
    {502, "A proxy in front of the gateway got no valid answer from it (HTTP 502)."},
    {503, "The gateway is out of service for now (HTTP 503)."},
    {504, "A proxy in front of the gateway gave up waiting for it (HTTP 504)."},
};

const char* StatusLineFor(int status) {
  for (const StatusLine& row : kStatusLines) {
    if (row.status == status) return row.plainLine;
  }
  return nullptr;
}

}  // namespace

const char* PlainLineFor(const TransportResult& result, const char* reply) {
  switch (result.FailedStep) {
    case TransportStep::None:
      // The exchange went through: only a body the dialogs show as text needs a line.
      return ReplyShownAsText(result, reply) ? kGatewayErrorTextLine : nullptr;
    case TransportStep::SplitUrl:
      return nullptr;
    case TransportStep::CheckStatus:
      return StatusLineFor(result.HttpStatus);
    case TransportStep::OpenSession:
    case TransportStep::Connect:
    case TransportStep::OpenRequest:
    case TransportStep::Send:
    case TransportStep::QueryStatus:
    case TransportStep::Read:
      break;
  }
  const TransportError* error = FindTransportError(result.SystemError);
  return error != nullptr ? error->meaning : nullptr;
}
