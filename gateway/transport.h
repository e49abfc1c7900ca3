#pragma once
#include <cstddef>

// One transaction to the gateway as a single HTTPS form POST. The reply, or a text
// beginning "Error:" that names the failed step, is left in the reply buffer.

inline constexpr size_t kReplyCapacity = 1024;       // bytes of reply text read at most
extern char ReplyBuffer[kReplyCapacity + 1];

// Splits "https://host/path" into host and object name (the path without its leading
// '/'); both buffers hold 256 bytes. False when the URL does not begin with "https://"
// (case-sensitive) or has no '/' after the host.
bool SplitGatewayUrl(const char* url, char* host, char* objectName);

// Blocks until the exchange has finished or failed; reply receives kReplyCapacity + 1
// bytes at most. Every handle is closed before it returns.
void PostToGateway(const char* url, const char* body, char* reply);

void ResetTransportState();
