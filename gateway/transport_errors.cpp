#include "gateway/transport_errors.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct StepText {
  TransportStep step;
  const char* format;  // printf format taking the number, or a fixed text
};

// One row per text; OpenSession is reported under Connect and has no row.
constexpr StepText kStepTexts[] = {
    {TransportStep::SplitUrl, "Error: Invalid URL"},
    {TransportStep::Connect, "Error: HTTP Connect [%d]\n"},
    {TransportStep::OpenRequest, "Error: HTTP Open [%d]\n"},
    {TransportStep::Send, "Error: HTTP Send [%d]\n"},
    {TransportStep::QueryStatus, "Error: HTTP Query [%d]\n"},
    {TransportStep::CheckStatus, "Error: HTTP Server [%d]\n"},
    {TransportStep::Read, "Error: HTTP Read [%d]\n"},
};

constexpr TransportError kErrors[] = {
    {6, "ERROR_INVALID_HANDLE",
     "Windows' internet functions could not be started for the exchange."},
    {8, "ERROR_NOT_ENOUGH_MEMORY",
     "Windows ran out of memory for the exchange."},
    {87, "ERROR_INVALID_PARAMETER", "The Access URL has no host name."},
    {12001, "ERROR_INTERNET_OUT_OF_HANDLES",
     "Windows ran out of internet handles for the exchange."},
    {12002, "ERROR_INTERNET_TIMEOUT",
     "The gateway did not answer in time."},
    {12004, "ERROR_INTERNET_INTERNAL_ERROR",
     "Windows' internet functions failed internally."},
    {12007, "ERROR_INTERNET_NAME_NOT_RESOLVED",
     "This computer cannot find the gateway's host name (DNS)."},
    {12029, "ERROR_INTERNET_CANNOT_CONNECT",
     "Nothing answers at this address on port 443."},
    {12030, "ERROR_INTERNET_CONNECTION_ABORTED",
     "The connection to the gateway was broken off during the exchange."},
    {12031, "ERROR_INTERNET_CONNECTION_RESET",
     "The gateway's side reset the connection."},
    {12037, "ERROR_INTERNET_SEC_CERT_DATE_INVALID",
     "The gateway's certificate has expired or is not valid yet."},
    {12038, "ERROR_INTERNET_SEC_CERT_CN_INVALID",
     "The gateway's certificate is made out for another host name."},
    {12044, "ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED",
     "The gateway asks for a client certificate, which the plug-in does not send."},
    {12045, "ERROR_INTERNET_INVALID_CA",
     "The gateway's certificate was issued by an authority this computer does not trust."},
    {12055, "ERROR_INTERNET_SEC_CERT_ERRORS",
     "The gateway's certificate has errors."},
    {12056, "ERROR_INTERNET_SEC_CERT_NO_REV",
     "Whether the gateway's certificate was revoked could not be checked."},
    {12057, "ERROR_INTERNET_SEC_CERT_REV_FAILED",
     "The revocation check of the gateway's certificate failed."},
    {12150, "ERROR_HTTP_HEADER_NOT_FOUND",
     "The gateway's answer carried no HTTP status."},
    {12152, "ERROR_HTTP_INVALID_SERVER_RESPONSE",
     "The answer on port 443 was not a valid HTTP answer."},
    {12157, "ERROR_INTERNET_SECURITY_CHANNEL_ERROR",
     "The secure connection (TLS) to the gateway could not be set up."},
    {12163, "ERROR_INTERNET_DISCONNECTED",
     "This computer is not connected to a network."},
    {12169, "ERROR_INTERNET_SEC_INVALID_CERT",
     "The gateway's certificate is not valid."},
    {12170, "ERROR_INTERNET_SEC_CERT_REVOKED",
     "The gateway's certificate has been revoked."},
    {12175, "ERROR_INTERNET_DECODING_FAILED",
     "The gateway's answer could not be decoded."},
};

const StepText* TextOf(TransportStep step) {
  if (step == TransportStep::OpenSession) step = TransportStep::Connect;
  for (const StepText& row : kStepTexts) {
    if (row.step == step) return &row;
  }
  return nullptr;
}

// The part of a format before its number ("Error: HTTP Send ["), or the whole fixed text.
size_t PrefixLength(const char* format) {
  const char* placeholder = std::strstr(format, "%d");
  return placeholder != nullptr ? static_cast<size_t>(placeholder - format) : std::strlen(format);
}

}  // namespace

void FormatTransportFailure(TransportStep step, int number, char* out, size_t outSize) {
  if (outSize == 0) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(out, outSize, TextOf(step)->format, number);
#pragma GCC diagnostic pop
}

bool ParseTransportFailure(const char* text, TransportStep* step, int* number) {
  for (const StepText& row : kStepTexts) {
    const size_t prefix = PrefixLength(row.format);
    if (std::strncmp(text, row.format, prefix) != 0) continue;
    const char* rest = text + prefix;
    int value = 0;
    if (row.format[prefix] == '%') {
      // The number exactly as "%d" writes it, then the format's own ending.
      char* end = nullptr;
      const long parsed = std::strtol(rest, &end, 10);
      if (end == rest || (*rest != '-' && (*rest < '0' || *rest > '9'))) continue;
      if (parsed < INT_MIN || parsed > INT_MAX) continue;
      value = static_cast<int>(parsed);
      rest = end;
      if (std::strcmp(rest, row.format + prefix + 2) != 0) continue;
    } else if (*rest != '\0') {
      continue;
    }
    *step = row.step;
    *number = value;
    return true;
  }
  return false;
}

std::span<const TransportError> TransportErrors() { return kErrors; }

const TransportError* FindTransportError(int number) {
  for (const TransportError& row : kErrors) {
    if (row.number == number) return &row;
  }
  return nullptr;
}
