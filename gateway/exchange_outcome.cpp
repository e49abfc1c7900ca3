#include "gateway/exchange_outcome.h"

#include <cstring>

bool ReplyShownAsText(const TransportResult& result, const char* reply) {
  return result.Failed() || BeginsWithErrorText(reply);
}

ExchangeOutcome ClassifyExchange(const TransportResult& result, const char* reply,
                                 GatewayResponse& response) {
  if (result.Failed()) {
    return RequestMayHaveArrived(result) ? ExchangeOutcome::Unknown : ExchangeOutcome::NotSent;
  }
  if (BeginsWithErrorText(reply)) return ExchangeOutcome::Unknown;
  ParseGatewayReply(reply, response);
  if (std::strcmp(response.ResponseCode, kApprovedCode) == 0) return ExchangeOutcome::Approved;
  return ReplyCarriesCode(reply) ? ExchangeOutcome::Declined : ExchangeOutcome::Unknown;
}
