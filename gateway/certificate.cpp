#include "gateway/certificate.h"

#include <algorithm>
#include <iterator>

namespace {

// More values than any certificate name carries; beyond it the first ones are dropped,
// since the common name comes last.
constexpr size_t kMaxNameValues = 16;
constexpr char kValueJoint[] = ", ";

struct Span {
  const char* begin;
  const char* end;
};

bool IsSeparator(char c) { return c == '\r' || c == '\n' || c == ','; }

// The values of printed in order, each without its separators and surrounding blanks
// (quotes still on). Returns how many.
size_t SplitValues(const char* printed, Span* values) {
  size_t count = 0;
  const char* p = printed;
  while (*p != '\0') {
    while (*p == ' ' || IsSeparator(*p)) ++p;
    if (*p == '\0') break;
    const char* begin = p;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsSeparator(*p)); ++p) {
      if (*p == '"') quoted = !quoted;  // a doubled quote toggles twice
    }
    const char* end = p;
    while (end > begin && end[-1] == ' ') --end;
    if (count == kMaxNameValues) {
      std::copy(values + 1, values + count, values);
      --count;
    }
    values[count++] = Span{begin, end};
  }
  return count;
}

// Appends value to out (at *length, outSize bytes), without the quotes around it and
// with a doubled quote inside made single. A line break inside quotes becomes a blank,
// so that the name stays on its line.
void AppendValue(Span value, char* out, size_t outSize, size_t* length) {
  const char* p = value.begin;
  const char* end = value.end;
  if (end - p >= 2 && *p == '"' && end[-1] == '"') {
    ++p;
    --end;
  }
  for (; p < end && *length + 1 < outSize; ++p) {
    out[(*length)++] = *p == '\r' || *p == '\n' ? ' ' : *p;
    if (*p == '"' && p + 1 < end && p[1] == '"') ++p;
  }
  out[*length] = '\0';
}

void AppendText(const char* text, char* out, size_t outSize, size_t* length) {
  for (; *text != '\0' && *length + 1 < outSize; ++text) out[(*length)++] = *text;
  out[*length] = '\0';
}

// Days since 1970-01-01 of a proleptic Gregorian date (the days_from_civil algorithm).
long DaysFromCivil(int year, int month, int day) {
  const long y = month <= 2 ? year - 1 : year;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yearOfEra = y - era * 400;
  const long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

void CopyCertificateName(const char* printed, char* out, size_t outSize) {
  Span values[kMaxNameValues];
  const size_t count = SplitValues(printed, values);
  size_t length = 0;
  out[0] = '\0';
  for (size_t i = count; i > 0; --i) {
    if (i != count) AppendText(kValueJoint, out, outSize, &length);
    AppendValue(values[i - 1], out, outSize, &length);
  }
}

int DaysBetween(const LocalDateTime& from, const LocalDateTime& to) {
  return static_cast<int>(DaysFromCivil(to.year, to.month, to.day) -
                          DaysFromCivil(from.year, from.month, from.day));
}

bool IsBefore(const LocalDateTime& a, const LocalDateTime& b) {
  const int left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
  const int right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
  for (size_t i = 0; i < std::size(left); ++i) {
    if (left[i] != right[i]) return left[i] < right[i];
  }
  return false;
}
