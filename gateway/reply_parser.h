#pragma once
// The gateway's reply: FS-separated fields; the response code is the 8th and 9th
// characters of field 4, the message the whole of field 9. The reply ends at its first
// NUL, for the classification and the parse alike.

inline constexpr const char* kDefaultResponseCode = "99";
inline constexpr const char* kDefaultResponseMessage = "Unknown data";
inline constexpr const char* kApprovedCode = "00";
inline constexpr const char* kErrorTextPrefix = "Error:";

struct GatewayResponse {
  char ResponseCode[3];
  char ResponseMessage[256];  // 255 characters at most
};

// Takes the reply apart; starts from the defaults every time. Never reads past the
// reply's terminator: the code is field 4's characters 8 and 9 when field 4 has at
// least nine characters; a shorter field 4 carries no code and leaves "99", whatever
// follows it. A ninth field longer than 255 characters is cut to its first 255. A null
// reply counts as empty.
void ParseGatewayReply(const char* reply, GatewayResponse& response);

// True when the text's first six bytes are "Error:" (case-sensitive): a failure text,
// or a gateway body that begins like one. Either is shown as it stands.
bool BeginsWithErrorText(const char* reply);

// True when the reply holds a response code where the gateway puts one: field 4 has at
// least nine characters, the 8th and 9th being the code. Without one (an empty body,
// a text without separators, a reply cut short) the parse leaves its defaults, which
// say nothing of what the gateway did.
bool ReplyCarriesCode(const char* reply);
