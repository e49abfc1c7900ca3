#include "host/module_path.h"

#include "host/module_state_win32.h"

unsigned ModuleFilePath(char* out, unsigned outSize) {
  return GetModuleFileNameA(ModuleInstance, out, outSize);
}
