#pragma once
#include "gateway/reply_parser.h"
#include "gateway/transport_errors.h"

// What an exchange with the gateway came to, decided in one place for the dialogs, the
// journal, the configuration Test and its plain line.

enum class ExchangeOutcome {
  Approved,  // the gateway answered "00"
  Declined,  // the gateway answered with another response code
  NotSent,   // the exchange failed where nothing can have reached the gateway
  Unknown,   // the request may have reached the gateway, and no code says what it did
};

// Classifies the exchange whose result is result and whose reply buffer is reply (the
// body, or the failure text). A body that carries no response code where the gateway
// puts one, and a body that begins "Error:" (the gateway's own text, never a failed
// step), are Unknown. response receives the parsed body whenever the body is not shown
// as text (ReplyShownAsText); otherwise it is left as it was.
ExchangeOutcome ClassifyExchange(const TransportResult& result, const char* reply,
                                 GatewayResponse& response);

// True when the dialogs show the reply buffer's text unchanged instead of a response
// code and message: a failed step, or a body beginning "Error:".
bool ReplyShownAsText(const TransportResult& result, const char* reply);
