#pragma once
// The system's error numbers that the platform-free code tells apart (Win32's values).

inline constexpr unsigned long kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr unsigned long kAccessDenied = 5;        // ERROR_ACCESS_DENIED
inline constexpr unsigned long kSharingViolation = 32;   // ERROR_SHARING_VIOLATION
inline constexpr unsigned long kLockNotGiven = 33;       // ERROR_LOCK_VIOLATION
inline constexpr unsigned long kPathTooLong = 206;       // ERROR_FILENAME_EXCED_RANGE
inline constexpr unsigned long kFileTooLarge = 223;      // ERROR_FILE_TOO_LARGE
// A write that reported success but did not read back (ERROR_WRITE_FAULT).
inline constexpr unsigned long kWriteNotReadBack = 29;
// The file was opened in the user's VirtualStore, not where it was meant to be
// (gateway/data_folder.h, IsRedirected). Not one of Windows' numbers: bit 29 marks it.
inline constexpr unsigned long kRedirected = 0x20000000 | 1006;
