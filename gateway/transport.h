#pragma once
#include <cstddef>

#include "gateway/certificate.h"

// One transaction to the gateway as a single HTTPS form POST. The reply, or a text
// beginning "Error:" that names the failed step (gateway/transport_errors.h), is left in
// the reply buffer.

inline constexpr size_t kReplyCapacity = 1024;       // bytes of reply text read at most
extern char ReplyBuffer[kReplyCapacity + 1];

// Host and object names of a split URL, each with its terminator.
inline constexpr size_t kGatewayNameSize = 256;

// Every wait of an exchange is bounded, so that a gateway that accepts the connection
// and then never answers cannot hold a dialog (or the configuration test, which runs on
// the user-interface thread) for ever. A step that runs out of time fails with the
// platform's error number like any other failure of that step.
inline constexpr unsigned long kConnectTimeoutMs = 15000;
inline constexpr unsigned long kSendTimeoutMs = 30000;
inline constexpr unsigned long kReceiveTimeoutMs = 30000;

inline constexpr unsigned kDefaultGatewayPort = 443;
inline constexpr unsigned kMaxGatewayPort = 65535;

// Splits "https://host[:port]/path" into host, object name (the path without its
// leading '/') and port (443 when none is given); both buffers hold kGatewayNameSize
// bytes. False when the URL does not begin with "https://" (case-sensitive), has no
// '/' after the host, has an empty host, or a port that is not a number from 1 to
// 65535. A refused URL is never connected to.
bool SplitGatewayUrl(const char* url, char* host, char* objectName, unsigned* port);

// Posts body (NUL-terminated, sent without its terminator) to url, one attempt, no
// retry. Blocks until the exchange has finished or failed; reply receives
// kReplyCapacity + 1 bytes at most: either the start of the reply body (one read),
// NUL-terminated, or an error text beginning "Error:". Every handle is closed before it
// returns. The server's certificate is checked strictly when
// CurrentSettings.StrictCertificates is set (gateway/https_client.h).
// certificate, when given, receives the certificate the send met (present false when
// it met none), so that the configuration test can show it.
void PostToGateway(const char* url, const char* body, char* reply,
                   GatewayCertificate* certificate = nullptr);
