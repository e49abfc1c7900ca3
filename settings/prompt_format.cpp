#include "settings/prompt_format.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips up to two digits; returns false when a third follows.
bool SkipShortNumber(const char*& p) {
  int digits = 0;
  while (IsDigit(*p)) {
    ++p;
    if (++digits > 2) return false;
  }
  return true;
}

}  // namespace

bool IsSafeAmountFormat(const char* format) {
  int conversions = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) ++p;
    if (!SkipShortNumber(p)) return false;
    if (*p == '.') {
      ++p;
      if (!SkipShortNumber(p)) return false;
    }
    if (*p == '\0' || std::strchr("feEgG", *p) == nullptr) return false;
    ++conversions;
  }
  return conversions == 1;
}

void FormatAmountPrompt(const char* format, double amount, char* out, size_t outSize) {
  if (outSize == 0) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(out, outSize, format, amount);
#pragma GCC diagnostic pop
}
