// The sequence store's files over the file API. The lock is a file held open without
// sharing, which a file server enforces for every client; the store itself is never
// rewritten in place, so that nothing can leave it half written.
#include <windows.h>

#include "records/data_file_security_win32.h"
#include "records/file_retry.h"
#include "records/opened_path_win32.h"
#include "records/sequence_file.h"

namespace {

constexpr RetryPolicy kLockWait{0, kSequenceLockWaitMs, 20};
// Sharing files of any kind, on every file system the store may live on.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE HeldLock = INVALID_HANDLE_VALUE;

unsigned long ErrorOf(BOOL succeeded) { return succeeded != FALSE ? 0 : GetLastError(); }

bool IsLockHeld(unsigned long error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

unsigned long WriteAndFlush(HANDLE file, const char* text, size_t length) {
  DWORD written = 0;
  if (WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) == FALSE) {
    return GetLastError();
  }
  // A short write with no error of its own still did not put the text in.
  if (written != length) return kShortWrite;
  return ErrorOf(FlushFileBuffers(file));
}

// newPath created afresh and holding text, on disk. A file left there by a crash is
// deleted first: an existing file keeps its own rights, and the store takes them over.
unsigned long WriteNewFile(const char* newPath, const char* text, size_t length) {
  HANDLE file = INVALID_HANDLE_VALUE;
  DataFileSecurity security;
  SECURITY_ATTRIBUTES* rights = MakeDataFileSecurity(security);
  DeleteFileA(newPath);
  const unsigned long error = RetryFileOperation(kStoreReplaceRetry, kSystemRetryClock, [&] {
    file = CreateFileA(newPath, GENERIC_WRITE, 0, rights, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return ErrorOf(file != INVALID_HANDLE_VALUE);
  }, IsFileBusyError);
  if (error != 0) return error;
  const unsigned long writeError = WriteAndFlush(file, text, length);
  CloseHandle(file);
  return writeError;
}

// MOVEFILE_WRITE_THROUGH waits only for a move that copies; a rename within the folder
// is on disk once the file is flushed under its new name.
unsigned long FlushReplaced(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  const unsigned long error = ErrorOf(FlushFileBuffers(file));
  CloseHandle(file);
  return error;
}

}  // namespace

unsigned long LockSequenceStore(const char* lockPath, char* opened) {
  opened[0] = '\0';
  HANDLE lock = INVALID_HANDLE_VALUE;
  DataFileSecurity security;
  SECURITY_ATTRIBUTES* rights = MakeDataFileSecurity(security);
  const unsigned long error = RetryFileOperation(kLockWait, kSystemRetryClock, [&] {
    lock = CreateFileA(lockPath, GENERIC_READ, 0, rights, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return ErrorOf(lock != INVALID_HANDLE_VALUE);
  }, IsLockHeld);
  if (error != 0) return IsLockHeld(error) ? kLockNotGiven : error;
  OpenedPathOf(lock, opened);
  HeldLock = lock;
  return 0;
}

void UnlockSequenceStore() {
  if (HeldLock == INVALID_HANDLE_VALUE) return;
  CloseHandle(HeldLock);
  HeldLock = INVALID_HANDLE_VALUE;
}

unsigned long ReadSequenceFile(const char* path, char* out, size_t outSize, size_t* length,
                               char* opened) {
  *length = 0;
  opened[0] = '\0';
  HANDLE file = CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();  // kFileNotFound among them
  OpenedPathOf(file, opened);
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
                                  size_t length, const char** failedPath) {
  // MoveFileEx replaces a read-only file when the caller may: the administrator's
  // read-only mark is a "do not write" all the same.
  *failedPath = path;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  *failedPath = newPath;
  unsigned long error = WriteNewFile(newPath, text, length);
  if (error == 0) {
    *failedPath = path;
    error = RetryFileOperation(kStoreReplaceRetry, kSystemRetryClock, [&] {
      return ErrorOf(MoveFileExA(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }, IsFileBusyError);
    if (error == 0) {
      return RetryFileOperation(kStoreReplaceRetry, kSystemRetryClock, [&] { return FlushReplaced(path); },
                                IsFileBusyError);
    }
  }
  DeleteFileA(newPath);
  return error;
}
