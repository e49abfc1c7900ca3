// The data folder's probe: a file created there as the plug-in creates its own, and gone
// when its handle closes.
#include <windows.h>

#include <cstdio>

#include "records/data_file_security_win32.h"
#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/opened_path_win32.h"

unsigned long ProbeDataFolder(const char* folder) {
  char path[MAX_PATH];
  const int length = std::snprintf(path, sizeof path, "%sCSPlugin-probe-%lu.tmp", folder, GetCurrentProcessId());
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) return kPathTooLong;
  DataFileSecurity security;
  HANDLE probe = CreateFileA(path, GENERIC_WRITE, 0, MakeDataFileSecurity(security), CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError();
  char opened[kOpenedPathSize];
  OpenedPathOf(probe, opened);
  CloseHandle(probe);
  return IsRedirected(path, opened) ? kRedirected : 0;
}
