#include "gateway/data_folder.h"

#include "settings/module_path.h"

bool DataFilePath(const char* fileName, char* out, unsigned outSize) {
  return PathBesideModule(fileName, out, outSize);
}
