#include <windows.h>

#include "settings/profile_store.h"

unsigned ProfileReadString(const char* section, const char* key, const char* fallback, char* out,
                           unsigned outSize, const char* file) {
  return GetPrivateProfileStringA(section, key, fallback, out, outSize, file);
}

int ProfileReadInt(const char* section, const char* key, int fallback, const char* file) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, file));
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file,
                        uint32_t* error) {
  if (WritePrivateProfileStringA(section, key, value, file) != FALSE) return true;
  if (error != nullptr) *error = GetLastError();
  return false;
}
