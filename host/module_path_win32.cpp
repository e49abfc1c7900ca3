#include "settings/module_path.h"

#include "host/process_attach_win32.h"

unsigned ModuleFilePath(char* out, unsigned outSize) {
  return GetModuleFileNameA(ModuleInstance, out, outSize);
}
