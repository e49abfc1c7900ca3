#pragma once
#include <cstddef>

#include "gateway/certificate.h"
#include "gateway/https_client.h"
#include "gateway/transport_errors.h"

// One transaction to the gateway as a single HTTPS form POST. It comes back as a
// TransportResult (gateway/transport_errors.h); the reply buffer holds the body, or the
// failure text made from the result, which is what the dialogs show.

inline constexpr size_t kReplyCapacity = 1024;       // bytes of reply text read at most

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
// retry, checking the server's certificate as checks says. Blocks until the exchange
// has finished or failed; reply receives kReplyCapacity + 1 bytes at most: either the
// start of the reply body (one read), NUL-terminated, or the failure text of the
// result. Every handle is closed before it returns.
// certificate, when given, receives the certificate the send met (present false when
// it met none), so that the configuration test can show it.
TransportResult PostToGateway(const char* url, CertificateChecks checks, const char* body,
                              char* reply, GatewayCertificate* certificate = nullptr);
