#pragma once
// Platform seam: INI profile files. The Win32 build implements these over the
// private-profile API (profile_store_win32.cpp); native tests link an in-memory
// stand-in. Texts are single-byte ANSI, NUL-terminated.
#include <cstdint>

// Copies the value of section/key into out (outSize bytes), or fallback when the key
// is missing; a key present with an empty value gives an empty text. A longer value is
// cut to outSize - 1 characters. Returns the number of characters copied.
unsigned ProfileReadString(const char* section, const char* key, const char* fallback,
                           char* out, unsigned outSize, const char* file);

// The value read as a decimal number (as GetPrivateProfileIntA reads it), or fallback
// when the key is missing.
int ProfileReadInt(const char* section, const char* key, int fallback, const char* file);

// Creates or replaces the value, creating the section and the file when needed.
// Returns false when the file could not be written; error, when given, then receives
// the system's error number of the failure (GetLastError under Win32).
bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file,
                        uint32_t* error = nullptr);

// Writes value as "%d" under section/key of file, over ProfileWriteString. Returns true
// when written; error as for ProfileWriteString.
bool WriteIntSetting(const char* section, const char* key, int32_t value, const char* file,
                     uint32_t* error = nullptr);
