#pragma once
// Platform seam: one HTTPS exchange, a step at a time. Each step that fails leaves its
// own error number for HttpsLastError (GetLastError under WinINet). The Win32 build
// implements it over WinINet (wininet_client_win32.cpp); native tests use a fake.
//
// The exchange the transport asks for: a direct TLS connection (no proxy) to port 443
// of the host, a POST of the form body with the one header
// "Content-Type: application/x-www-form-urlencoded" and the User-Agent
// "Microsoft Internet Explorer", server certificates with a lapsed date or a name that
// does not match accepted unless strict checks are asked for, nothing cached, no
// redirect followed (a 3xx is the status the exchange ends with). The
// connection is made during the send, so resolution, connection and TLS failures are
// send failures.
#include "gateway/certificate.h"

using HttpsHandle = void*;

// How the server's certificate is checked. Lenient accepts one whose validity period
// has lapsed (or not begun) and one made out to another host name; Strict lets either
// fail the send (WinINet: 12037, 12038). Every other certificate failure fails the send
// under both.
enum class CertificateChecks { Lenient, Strict };

HttpsHandle HttpsOpenSession();                                     // InternetOpenA
HttpsHandle HttpsConnect(HttpsHandle session, const char* host, unsigned port);
HttpsHandle HttpsOpenRequest(HttpsHandle connection, const char* objectName,  // POST
                             CertificateChecks checks);
bool HttpsSend(HttpsHandle request, const char* body, unsigned long length);
bool HttpsQueryStatus(HttpsHandle request, unsigned long* status);
bool HttpsRead(HttpsHandle request, char* buffer, unsigned long size, unsigned long* count);
void HttpsClose(HttpsHandle handle);
int HttpsLastError();

// The server's certificate as the request's send met it, also when the send failed over
// it, and whether it is made out to another name than host, the one connected to. False
// when there is none (the send never got that far); certificate is then left as it was.
// Changes the last error.
bool HttpsQueryCertificate(HttpsHandle request, const char* host, GatewayCertificate* certificate);

// Bounds the waits of the steps that follow on handle (milliseconds). Lives behind the
// seam because the options are WinINet's own: they are set on the session handle and
// again on the request handle, since the request does not take all of them over from
// the session. A null handle is left alone (WinINet would change its process-wide
// defaults instead). Whether the options could be set is not reported: an exchange
// without them is still worth trying.
void HttpsLimitWaits(HttpsHandle handle, unsigned long connectMs, unsigned long sendMs,
                     unsigned long receiveMs);
