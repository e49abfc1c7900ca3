// The sequence store's files over the file API. The lock is a file held open without
// sharing, which a file server enforces for every client; the store itself is never
// rewritten in place, so that nothing can leave it half written.
#include <windows.h>

#include "gateway/sequence_file.h"

namespace {

constexpr DWORD kLockPauseMs = 20;

HANDLE HeldLock = INVALID_HANDLE_VALUE;

unsigned long WriteAndFlush(HANDLE file, const char* text, size_t length) {
  DWORD written = 0;
  if (WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) == FALSE) {
    return GetLastError();
  }
  // A short write with no error of its own still did not put the text in.
  if (written != length) return kShortWrite;
  if (FlushFileBuffers(file) == FALSE) return GetLastError();
  return 0;
}

}  // namespace

unsigned long LockSequenceStore(const char* lockPath) {
  const DWORD start = GetTickCount();
  for (;;) {
    HANDLE lock = CreateFileA(lockPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock != INVALID_HANDLE_VALUE) {
      HeldLock = lock;
      return 0;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return error;
    if (GetTickCount() - start >= kSequenceLockWaitMs) return kLockNotGiven;
    Sleep(kLockPauseMs);
  }
}

void UnlockSequenceStore() {
  if (HeldLock == INVALID_HANDLE_VALUE) return;
  CloseHandle(HeldLock);
  HeldLock = INVALID_HANDLE_VALUE;
}

unsigned long ReadSequenceFile(const char* path, char* out, size_t outSize, size_t* length) {
  *length = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();  // kFileNotFound among them
  unsigned long error = 0;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) == FALSE) {
    error = GetLastError();
  } else if (static_cast<unsigned long long>(size.QuadPart) > outSize) {
    error = kStoreTooLarge;
  } else {
    DWORD read = 0;
    if (ReadFile(file, out, static_cast<DWORD>(size.QuadPart), &read, nullptr) == FALSE) {
      error = GetLastError();
    } else {
      *length = read;
    }
  }
  CloseHandle(file);
  return error;
}

unsigned long ReplaceSequenceFile(const char* path, const char* newPath, const char* text,
                                  size_t length) {
  // MoveFileEx replaces a read-only file when the caller may: the administrator's
  // read-only mark is a "do not write" all the same.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  // Nor is a file that another program holds without letting others write it (an
  // editor): a move over it would pull the file from under that program, where Windows
  // allows it at all.
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    HANDLE current = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (current == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(current);
  }
  HANDLE file = CreateFileA(newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  unsigned long error = WriteAndFlush(file, text, length);
  CloseHandle(file);
  if (error == 0 &&
      MoveFileExA(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
    error = GetLastError();
  }
  if (error != 0) DeleteFileA(newPath);
  return error;
}
