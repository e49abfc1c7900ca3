#include "settings/bounded_text.h"

#include <cstdarg>
#include <cstdio>

BoundedText::BoundedText(char* out, size_t capacity) : out_(out), capacity_(capacity) {
  out_[0] = '\0';
}

void BoundedText::Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(End(), Room(), format, arguments);
  va_end(arguments);
  if (written > 0) Grew(static_cast<size_t>(written));
}

void BoundedText::Repeat(char c, int count) {
  for (int i = 0; i < count && length_ + 1 < capacity_; ++i) out_[length_++] = c;
  out_[length_] = '\0';
}

void BoundedText::Grew(size_t characters) {
  length_ += characters;
  if (length_ > capacity_ - 1) length_ = capacity_ - 1;
}
