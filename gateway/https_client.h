#pragma once
// Platform seam: one HTTPS exchange, a step at a time. Each step that fails leaves its
// own error number for HttpsLastError (GetLastError under WinINet). The Win32 build
// implements it over WinINet (wininet_client_win32.cpp); native tests use a fake.

using HttpsHandle = void*;

HttpsHandle HttpsOpenSession();                                     // InternetOpenA
HttpsHandle HttpsConnect(HttpsHandle session, const char* host);     // port 443
HttpsHandle HttpsOpenRequest(HttpsHandle connection, const char* objectName);  // POST
bool HttpsSend(HttpsHandle request, const char* body, unsigned long length);
bool HttpsQueryStatus(HttpsHandle request, unsigned long* status);
bool HttpsRead(HttpsHandle request, char* buffer, unsigned long size, unsigned long* count);
void HttpsClose(HttpsHandle handle);
int HttpsLastError();
