#include "records/sequence_text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kSectionFormat = "Batch%06d";
constexpr const char* kLineEnd = "\r\n";
constexpr size_t kMaxDigits = 6;  // kLastSequenceNumber's

// One line of the text: [begin, end) without its line end; next is where the following
// line starts.
struct Line {
  const char* begin;
  const char* end;
  const char* next;
};

Line LineAt(const char* at, const char* stop) {
  const void* found = std::memchr(at, '\n', static_cast<size_t>(stop - at));
  const char* newline = found != nullptr ? static_cast<const char*>(found) : stop;
  const char* end = newline;
  if (end > at && end[-1] == '\r') --end;
  return Line{at, end, newline == stop ? stop : newline + 1};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void Trim(const char*& begin, const char*& end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const char* begin, const char* end, const char* name) {
  const size_t length = static_cast<size_t>(end - begin);
  if (length != std::strlen(name)) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Lower(begin[i]) != Lower(name[i])) return false;
  }
  return true;
}

// The name of a "[name]" line, trimmed; false for any other line.
bool SectionOf(const Line& line, const char*& begin, const char*& end) {
  const char* b = line.begin;
  const char* e = line.end;
  Trim(b, e);
  if (b == e || *b != '[') return false;
  const void* close = std::memchr(b, ']', static_cast<size_t>(e - b));
  if (close == nullptr) return false;
  begin = b + 1;
  end = static_cast<const char*>(close);
  Trim(begin, end);
  return true;
}

// The '=' of a "key=value" line, or nullptr.
const char* EqualsOf(const Line& line) {
  return static_cast<const char*>(std::memchr(line.begin, '=', static_cast<size_t>(line.end - line.begin)));
}

bool IsKeyLine(const Line& line, const char* key) {
  const char* equals = EqualsOf(line);
  if (equals == nullptr) return false;
  const char* begin = line.begin;
  const char* end = equals;
  Trim(begin, end);
  return SameName(begin, end, key);
}

SequenceLookup ValueOf(const Line& line) {
  const char* begin = EqualsOf(line) + 1;
  const char* end = line.end;
  Trim(begin, end);
  const size_t digits = static_cast<size_t>(end - begin);
  if (digits == 0 || digits > kMaxDigits) return {StoredSequence::Bad, 0};
  int32_t value = 0;
  for (const char* c = begin; c < end; ++c) {
    if (*c < '0' || *c > '9') return {StoredSequence::Bad, 0};
    value = value * 10 + (*c - '0');
  }
  return {StoredSequence::Valid, value};
}

bool IsCommentOrBlank(const Line& line) {
  const char* begin = line.begin;
  const char* end = line.end;
  Trim(begin, end);
  return begin == end || *begin == ';' || *begin == '#';
}

bool HasControl(const Line& line) {
  for (const char* c = line.begin; c < line.end; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
  }
  return false;
}

// Where the parts of the rewrite go: the found section header's line and key line.
struct Places {
  const char* afterHeader;  // the start of the line after the section's header
  const char* keyLine;      // the key's line within the section, or nullptr
};

Places Find(const char* text, size_t length, const char* section) {
  const char* const stop = text + length;
  Places places{nullptr, nullptr};
  bool inSection = false;
  for (const char* at = text; at < stop;) {
    const Line line = LineAt(at, stop);
    at = line.next;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (SectionOf(line, begin, end)) {
      if (inSection) break;  // the first section of the name is the one that counts
      inSection = SameName(begin, end, section);
      if (inSection) places.afterHeader = line.next;
    } else if (inSection && IsKeyLine(line, kSequenceKey)) {
      places.keyLine = line.begin;
      break;
    }
  }
  return places;
}

// Appends bytes to out while they fit.
struct Output {
  char* out;
  size_t size;
  size_t used;
  bool fits;
  void Put(const char* begin, size_t count) {
    if (!fits || count > size - used) {
      fits = false;
      return;
    }
    std::memcpy(out + used, begin, count);
    used += count;
  }
  void Put(const char* text) { Put(text, std::strlen(text)); }
};

}  // namespace

void SequenceSectionName(int32_t batch, char* out) {
  std::snprintf(out, kSequenceSectionSize, kSectionFormat, static_cast<int>(batch));
}

int32_t AdvanceSequence(int32_t value) {
  // Compared before adding, so that no stored value can overflow.
  return value >= kLastSequenceNumber ? 1 : value + 1;
}

int32_t LaterSequence(int32_t a, int32_t b) {
  if (a < 1 || a > kLastSequenceNumber) return b < 1 || b > kLastSequenceNumber ? 0 : b;
  if (b < 1 || b > kLastSequenceNumber) return a;
  const int32_t stepsFromB = (a - b + kLastSequenceNumber) % kLastSequenceNumber;
  return stepsFromB <= kLastSequenceNumber / 2 ? a : b;
}

bool SequenceTextIsWhole(const char* text, size_t length) {
  if (length == 0 || text[length - 1] != '\n') return false;
  const char* const stop = text + length;
  for (const char* at = text; at < stop;) {
    const Line line = LineAt(at, stop);
    at = line.next;
    if (HasControl(line)) return false;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!IsCommentOrBlank(line) && !SectionOf(line, begin, end) && EqualsOf(line) == nullptr) {
      return false;
    }
  }
  return true;
}

SequenceLookup LookUpSequence(const char* text, size_t length, const char* section) {
  const Places places = Find(text, length, section);
  if (places.keyLine == nullptr) return {StoredSequence::Missing, 0};
  return ValueOf(LineAt(places.keyLine, text + length));
}

size_t RewriteSequence(const char* text, size_t length, const char* section, int32_t value,
                       char* out, size_t outSize) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", static_cast<int>(value));
  const char* const stop = text + length;
  const Places places = Find(text, length, section);
  Output o{out, outSize, 0, true};
  if (places.keyLine != nullptr) {
    const Line line = LineAt(places.keyLine, stop);
    const char* valueStart = EqualsOf(line) + 1;
    o.Put(text, static_cast<size_t>(valueStart - text));
    o.Put(number);
    o.Put(line.end, static_cast<size_t>(stop - line.end));
  } else if (places.afterHeader != nullptr) {
    o.Put(text, static_cast<size_t>(places.afterHeader - text));
    if (places.afterHeader == stop && (length == 0 || stop[-1] != '\n')) o.Put(kLineEnd);
    o.Put(kSequenceKey);
    o.Put("=");
    o.Put(number);
    o.Put(kLineEnd);
    o.Put(places.afterHeader, static_cast<size_t>(stop - places.afterHeader));
  } else {
    o.Put(text, length);
    if (length > 0 && stop[-1] != '\n') o.Put(kLineEnd);
    o.Put("[");
    o.Put(section);
    o.Put("]");
    o.Put(kLineEnd);
    o.Put(kSequenceKey);
    o.Put("=");
    o.Put(number);
    o.Put(kLineEnd);
  }
  return o.fits ? o.used : 0;
}
