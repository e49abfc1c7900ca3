/* A DLL planted beside the station program under a system DLL's name (msimg32.dll):
   loaded, it leaves the file "planted-dll-ran" in the current folder. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    HANDLE mark = CreateFileA("planted-dll-ran", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE) {
      CloseHandle(mark);
    }
  }
  return TRUE;
}
