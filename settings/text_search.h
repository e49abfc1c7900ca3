#pragma once
// Position of the last occurrence of c in text, or nullptr. Searching for '\0' finds
// the terminator.
const char* FindLastChar(const char* text, char c);
char* FindLastChar(char* text, char c);
