#include "records/data_folder.h"

#include <cstring>
#include <strings.h>

#include "settings/module_path.h"
#include "settings/settings.h"

bool DataFilePath(const char* fileName, char* out, unsigned outSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  if (CurrentDataFolder.Refused) return false;
  const char* folder = CurrentDataFolder.Path;
  if (folder[0] == '\0') return PathBesideModule(fileName, out, outSize);
  const size_t folderLength = std::strlen(folder);
  const bool hasSlash = folder[folderLength - 1] == '\\';
  const size_t nameLength = std::strlen(fileName);
  if (folderLength + (hasSlash ? 0 : 1) + nameLength + 1 > outSize) return false;
  std::memcpy(out, folder, folderLength);
  size_t at = folderLength;
  if (!hasSlash) out[at++] = '\\';
  std::memcpy(out + at, fileName, nameLength + 1);
  return true;
}

bool DataFolderPath(char* out, unsigned outSize) { return DataFilePath("", out, outSize); }

namespace {

constexpr const char* kVirtualStore = "\\virtualstore\\";

bool ContainsFolded(const char* text, const char* part) {
  const size_t length = std::strlen(part);
  for (; *text != '\0'; ++text) {
    if (strncasecmp(text, part, length) == 0) return true;
  }
  return false;
}

}  // namespace

bool IsRedirected(const char* meant, const char* opened) {
  return opened[0] != '\0' && ContainsFolded(opened, kVirtualStore) && !ContainsFolded(meant, kVirtualStore);
}
