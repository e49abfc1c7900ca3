#include "records/opened_path_win32.h"

#include "records/data_folder.h"

void OpenedPathOf(HANDLE file, char* out) {
  const DWORD length = GetFinalPathNameByHandleA(file, out, kOpenedPathSize, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= kOpenedPathSize) out[0] = '\0';
}
