#pragma once
// The gateway's reply: FS-separated fields; the response code is the 8th and 9th
// characters of field 4, the message the whole of field 9.

inline constexpr const char* kDefaultResponseCode = "99";
inline constexpr const char* kDefaultResponseMessage = "Unknown data";
inline constexpr const char* kApprovedCode = "00";

struct GatewayResponse {
  char ResponseCode[3];
  char ResponseMessage[256];  // 255 characters at most
};

extern GatewayResponse CurrentResponse;

// Takes the reply apart; starts from the defaults every time. Never reads past the
// reply's terminator.
void ParseGatewayReply(const char* reply, GatewayResponse& response);

enum class ReplyKind { TransportError, Approved, NotApproved };

// The one classification every dialog applies: a reply beginning "Error:" is a
// transport error and is not parsed; otherwise it is parsed into response and is
// approved only when the code is exactly "00".
ReplyKind ClassifyReply(const char* reply, GatewayResponse& response);

bool IsTransportError(const char* reply);

void ResetReplyState();
