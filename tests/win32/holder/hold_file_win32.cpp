// Holds a file open as another program would (a spreadsheet, an editor), so that the
// scripted tests can see what the plug-in does with a file it cannot have.
//   HoldFile.exe PATH read|none READY_FILE RELEASE_FILE
// opens PATH (creating it when missing) for reading and writing, sharing reading only
// or nothing, creates READY_FILE, and keeps PATH open until RELEASE_FILE exists (at most
// kMaxHoldMs, so that a script that never releases it cannot hang its run). Released by
// the script, not after a time: a station program slowed down (emulated, or on a busy
// machine) still meets the file held.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
constexpr DWORD kMaxHoldMs = 300000;
constexpr DWORD kPollMs = 50;
}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: HoldFile.exe PATH read|none READY_FILE RELEASE_FILE\n");
    return 2;
  }
  const DWORD share = std::strcmp(argv[2], "read") == 0 ? FILE_SHARE_READ : 0;
  HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "HoldFile: cannot open %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  for (DWORD waited = 0; waited < kMaxHoldMs && GetFileAttributesA(argv[4]) == INVALID_FILE_ATTRIBUTES;
       waited += kPollMs) {
    Sleep(kPollMs);
  }
  CloseHandle(held);
  return 0;
}
