#pragma once
#include <cstddef>

// Text built piece by piece in a fixed buffer: a piece that would not fit is cut at the
// buffer instead of running past it, and the text is always terminated.
class BoundedText {
 public:
  // out holds capacity bytes, the terminator included (capacity > 0); it starts empty.
  BoundedText(char* out, size_t capacity);

  __attribute__((format(printf, 2, 3))) void Format(const char* format, ...);
  void Repeat(char c, int count);

  // For a writer that fills the rest itself: where it writes, how many bytes it may use
  // (its terminator included), then how many characters it wrote.
  char* End() { return out_ + length_; }
  size_t Room() const { return capacity_ - length_; }
  void Grew(size_t characters);

  size_t Length() const { return length_; }

 private:
  char* out_;
  size_t capacity_;
  size_t length_ = 0;
};
