#include <cstdio>

#include "settings/profile_store.h"

namespace {

constexpr size_t kIntTextSize = 32;

}  // namespace

bool WriteIntSetting(const char* section, const char* key, int32_t value, const char* file,
                     uint32_t* error) {
  char text[kIntTextSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return ProfileWriteString(section, key, text, file, error);
}
