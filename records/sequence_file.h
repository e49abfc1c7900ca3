#pragma once
// Platform seam: the files behind the sequence store. The Win32 build works on the real
// folder (sequence_file_win32.cpp); native tests keep the files in memory. Used on the
// user-interface thread only. Every call returns 0 or an error number
// (records/file_errors.h).
#include <cstddef>

#include "records/file_errors.h"

// How long a station waits for another that holds the lock.
inline constexpr unsigned kSequenceLockWaitMs = 5000;

// Takes the lock on the file at lockPath, a file beside the store that exists only to be
// held: opened for reading without sharing, so that no other process, on this machine
// or on another over a network share, can hold it at the same time, and a read right to
// the file is all a station needs once it exists. Waits up to kSequenceLockWaitMs while
// someone else holds it, then gives kLockNotGiven. One lock at a time. opened
// (kOpenedPathSize bytes, records/data_folder.h) receives the path of the file the
// system opened, or "" when it could not be had.
unsigned long LockSequenceStore(const char* lockPath, char* opened);
void UnlockSequenceStore();

// The whole file at path into out (outSize bytes, no NUL added), its size in *length.
// kFileNotFound when it does not exist, kStoreTooLarge when it does not fit. opened as
// for LockSequenceStore.
unsigned long ReadSequenceFile(const char* path, char* out, size_t outSize, size_t* length,
                               char* opened);

// Puts text in the place of the file at path in one step: written to newPath beside it,
// flushed to disk, moved over path, and path flushed again so that the move itself is
// on disk too. A crash leaves the old file or the new one. A read-only file at path is
// not replaced. A file that a scanner or a backup agent has open for a moment is waited
// for (kStoreReplaceRetry, records/file_retry.h). On failure *failedPath is newPath or
// path, whichever could not be had.
unsigned long ReplaceSequenceFile(const char* path, const char* newPath, const char* text,
                                  size_t length, const char** failedPath);
