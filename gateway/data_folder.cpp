#include "gateway/data_folder.h"

#include <cstring>

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
