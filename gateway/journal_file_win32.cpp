// The journal file seam over the file API. A record is one WriteFile on a handle opened
// for appending only, so the system puts it whole at the end of the file whoever else
// appends at the same time; FlushFileBuffers puts it on disk before the request leaves.
#include <windows.h>

#include <cstring>

#include "gateway/journal_file.h"

namespace {

// Appending only: every write lands at the end of the file, never over a line.
constexpr DWORD kAppendAccess = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES;
// Other station programs append and spreadsheets read while we hold it for a moment.
constexpr DWORD kShareWithOthers = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A file that another appender has just created is held alone until its header is in.
constexpr int kBusyRetries = 5;
constexpr DWORD kBusyPauseMs = 10;
// Appenders take turns by locking a range past any real end of the file: appending
// alone is whole on Windows, but not under every implementation of it (Wine finds the
// end and then writes). A turn lasts one write and a flush; a station that waits longer
// than this gives up and reports the lock.
constexpr DWORD kTurnRangeLow = 0xFFFFFFF0;
constexpr DWORD kTurnRangeHigh = 0x7FFFFFFF;
constexpr int kTurnRetries = 100;
constexpr DWORD kTurnPauseMs = 2;

bool WriteWhole(HANDLE file, const char* text) {
  const DWORD size = static_cast<DWORD>(std::strlen(text));
  DWORD written = 0;
  return WriteFile(file, text, size, &written, nullptr) != FALSE && written == size;
}

// The new file is created unshared, so that no other appender gets in before its header.
HANDLE CreateAlone(const char* path) {
  return CreateFileA(path, kAppendAccess, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenShared(const char* path) {
  return CreateFileA(path, kAppendAccess, kShareWithOthers, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file, new (created is then true) or as it is; INVALID_HANDLE_VALUE with error set
// when it cannot be had.
HANDLE OpenForAppending(const char* path, bool* created, DWORD* error) {
  for (int attempt = 0;; ++attempt) {
    HANDLE file = CreateAlone(path);
    if (file != INVALID_HANDLE_VALUE) {
      *created = true;
      return file;
    }
    *error = GetLastError();
    if (*error == ERROR_FILE_EXISTS) {
      file = OpenShared(path);
      if (file != INVALID_HANDLE_VALUE) {
        *created = false;
        return file;
      }
      *error = GetLastError();
    }
    if (*error != ERROR_SHARING_VIOLATION || attempt == kBusyRetries) return INVALID_HANDLE_VALUE;
    Sleep(kBusyPauseMs);
  }
}

bool TakeTurn(HANDLE file, OVERLAPPED* turn) {
  turn->Offset = kTurnRangeLow;
  turn->OffsetHigh = kTurnRangeHigh;
  for (int attempt = 0;; ++attempt) {
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, turn) != FALSE) {
      return true;
    }
    if (attempt == kTurnRetries) return false;
    Sleep(kTurnPauseMs);
  }
}

}  // namespace

unsigned long AppendJournalRecord(const char* path, const char* header, const char* record) {
  bool created = false;
  DWORD error = 0;
  HANDLE file = OpenForAppending(path, &created, &error);
  if (file == INVALID_HANDLE_VALUE) return error;
  OVERLAPPED turn{};
  if (!TakeTurn(file, &turn)) {
    error = GetLastError();
    CloseHandle(file);
    return error;
  }
  LARGE_INTEGER size{};
  const bool needsHeader = created || (GetFileSizeEx(file, &size) != FALSE && size.QuadPart == 0);
  bool written = (!needsHeader || WriteWhole(file, header)) && WriteWhole(file, record);
  if (written) written = FlushFileBuffers(file) != FALSE;
  error = written ? 0 : GetLastError();
  UnlockFileEx(file, 0, 1, 0, &turn);
  CloseHandle(file);
  // A short write with no error of its own still did not put the record in.
  if (!written && error == 0) error = ERROR_WRITE_FAULT;
  return error;
}
