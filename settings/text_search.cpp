#include "settings/text_search.h"

const char* FindLastChar(const char* text, char c) {
  const char* found = nullptr;
  for (const char* p = text;; ++p) {
    if (*p == c) found = p;
    if (*p == '\0') break;
  }
  return found;
}

char* FindLastChar(char* text, char c) {
  return const_cast<char*>(FindLastChar(static_cast<const char*>(text), c));
}
