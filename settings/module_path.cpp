#include "settings/module_path.h"

#include <cstring>

#include "settings/text_search.h"

namespace {

constexpr unsigned kModulePathSize = 256;  // GetModuleFileNameA's limit for the plug-in

}  // namespace

bool PathBesideModule(const char* fileName, char* out, unsigned outSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  char modulePath[kModulePathSize];
  const unsigned length = ModuleFilePath(modulePath, sizeof modulePath);
  if (length == 0 || length >= sizeof modulePath) return false;  // failed, or cut at the buffer
  const char* lastSlash = FindLastChar(modulePath, '\\');
  if (lastSlash == nullptr) return false;
  const size_t folder = static_cast<size_t>(lastSlash - modulePath) + 1;
  const size_t name = std::strlen(fileName);
  if (folder + name + 1 > outSize) return false;
  std::memcpy(out, modulePath, folder);
  std::memcpy(out + folder, fileName, name + 1);
  return true;
}
