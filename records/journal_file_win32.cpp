// The journal file seam over the file API. Appenders take turns by a lock (below); in
// its turn a record is one WriteFile at the file's end, taken back when it comes up
// short, and FlushFileBuffers puts it on disk before the request leaves.
#include <windows.h>

#include <cstring>

#include "records/data_file_security_win32.h"
#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/file_retry.h"
#include "records/journal_file.h"
#include "records/opened_path_win32.h"

namespace {

// Writing at the end, reading the last byte, and cutting back a short write.
constexpr DWORD kAppendAccess = GENERIC_READ | GENERIC_WRITE;
// Other station programs append and spreadsheets read while we hold it for a moment.
constexpr DWORD kShareWithOthers = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A file that another appender has just created is held alone until its header is in.
constexpr RetryPolicy kCreatorWait{0, 50, 10};
// Appenders take turns by locking a range past any real end of the file: appending
// alone is whole on Windows, but not under every implementation of it (Wine finds the
// end and then writes). A turn lasts one write and a flush; a station that waits longer
// than this gives up and reports the lock.
constexpr DWORD kTurnRangeLow = 0xFFFFFFF0;
constexpr DWORD kTurnRangeHigh = 0x7FFFFFFF;
constexpr RetryPolicy kTurnWait{0, 200, 2};

constexpr const char* kLineEnd = "\r\n";
constexpr DWORD kReadChunk = 4096;

OVERLAPPED At(LONGLONG offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(offset) >> 32);
  return at;
}

// Whether the file of size bytes ends with a line end; a read that fails says yes, so
// that the record goes on as it would have.
bool EndsWithLineEnd(HANDLE file, LONGLONG size) {
  if (size == 0) return true;
  char last = '\n';
  DWORD read = 0;
  OVERLAPPED at = At(size - 1);
  return ReadFile(file, &last, 1, &read, &at) == FALSE || read != 1 || last == '\n';
}

// text written at offset, whole; an error number, or 0.
DWORD WriteAt(HANDLE file, LONGLONG offset, const char* text, size_t size) {
  if (size == 0) return 0;
  DWORD written = 0;
  OVERLAPPED at = At(offset);
  if (WriteFile(file, text, static_cast<DWORD>(size), &written, &at) == FALSE) return GetLastError();
  // A short write with no error of its own still did not put the record in.
  return written == size ? 0 : kShortWrite;
}

// Cuts the file back to size, so that a short write leaves no torn line.
void CutBack(HANDLE file, LONGLONG size) {
  LARGE_INTEGER end{};
  end.QuadPart = size;
  if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) != FALSE) SetEndOfFile(file);
  FlushFileBuffers(file);
}

// The new file is created unshared, so that no other appender gets in before its
// header, and with the rights that let the station's other accounts append to it.
HANDLE CreateAlone(const char* path) {
  DataFileSecurity security;
  return CreateFileA(path, kAppendAccess, 0, MakeDataFileSecurity(security), CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenShared(const char* path) {
  return CreateFileA(path, kAppendAccess, kShareWithOthers, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file, new (created is then true) or as it is; INVALID_HANDLE_VALUE with error set
// when it cannot be had.
HANDLE OpenForAppending(const char* path, bool* created, DWORD* error) {
  HANDLE file = INVALID_HANDLE_VALUE;
  *error = RetryFileOperation(kCreatorWait, kSystemRetryClock, [&]() -> unsigned long {
    file = CreateAlone(path);
    *created = file != INVALID_HANDLE_VALUE;
    if (*created) return 0;
    const DWORD createError = GetLastError();
    if (createError != ERROR_FILE_EXISTS) return createError;
    file = OpenShared(path);
    return file != INVALID_HANDLE_VALUE ? 0 : GetLastError();
  }, [](unsigned long failed) { return failed == ERROR_SHARING_VIOLATION; });
  return *error == 0 ? file : INVALID_HANDLE_VALUE;
}

// This station's turn; 0, or the system's error number when it did not come.
DWORD TakeTurn(HANDLE file, OVERLAPPED* turn) {
  turn->Offset = kTurnRangeLow;
  turn->OffsetHigh = kTurnRangeHigh;
  return RetryFileOperation(kTurnWait, kSystemRetryClock, [&]() -> unsigned long {
    const BOOL locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, turn);
    return locked != FALSE ? 0 : GetLastError();
  }, [](unsigned long failed) { return failed == ERROR_LOCK_VIOLATION; });
}

}  // namespace

unsigned long AppendJournalRecord(const char* path, const char* header, const char* record) {
  bool created = false;
  DWORD error = 0;
  HANDLE file = OpenForAppending(path, &created, &error);
  if (file == INVALID_HANDLE_VALUE) return error;
  char opened[kOpenedPathSize];
  OpenedPathOf(file, opened);
  if (IsRedirected(path, opened)) {
    CloseHandle(file);
    return kRedirected;
  }
  OVERLAPPED turn{};
  error = TakeTurn(file, &turn);
  if (error != 0) {
    CloseHandle(file);
    return error;
  }
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) == FALSE) {
    error = GetLastError();
  } else {
    // Header or a line end for a torn last line, then the record; written in this
    // station's turn, so no other appender comes between them.
    const char* before = "";
    if (created || size.QuadPart == 0) {
      before = header;
    } else if (!EndsWithLineEnd(file, size.QuadPart)) {
      before = kLineEnd;
    }
    const size_t beforeLength = std::strlen(before);
    error = WriteAt(file, size.QuadPart, before, beforeLength);
    if (error == 0) {
      error = WriteAt(file, size.QuadPart + static_cast<LONGLONG>(beforeLength), record,
                      std::strlen(record));
    }
    if (error == 0 && FlushFileBuffers(file) == FALSE) error = GetLastError();
    if (error != 0) CutBack(file, size.QuadPart);
  }
  UnlockFileEx(file, 0, 1, 0, &turn);
  CloseHandle(file);
  return error;
}

unsigned long ReadJournalFile(const char* path, JournalChunkSink sink, void* context) {
  HANDLE file = CreateFileA(path, GENERIC_READ, kShareWithOthers, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  char chunk[kReadChunk];
  DWORD error = 0;
  for (;;) {
    DWORD read = 0;
    if (ReadFile(file, chunk, sizeof chunk, &read, nullptr) == FALSE) {
      error = GetLastError();
      break;
    }
    if (read == 0) break;
    sink(context, chunk, read);
  }
  CloseHandle(file);
  return error;
}

unsigned long ListJournalFiles(const char* pattern, JournalNameSink sink, void* context) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) sink(context, found.cFileName);
  } while (FindNextFileA(search, &found) != FALSE);
  const DWORD error = GetLastError();
  FindClose(search);
  return error == ERROR_NO_MORE_FILES ? 0 : error;
}
