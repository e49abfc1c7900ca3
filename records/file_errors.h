#pragma once
// Error numbers of the plug-in's files: the system's (Win32's values) that the
// platform-free code tells apart, and the plug-in's own for failures that Windows did
// not report. The two never meet: the plug-in's own carry bit 29, which Windows keeps
// for application-defined codes and sets in none of its own. Every text that shows an
// error number makes it with FormatErrorNumber, so that a number of ours is never
// shown as if it were Windows'.
#include <cstddef>
#include <span>

inline constexpr unsigned long kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr unsigned long kAccessDenied = 5;        // ERROR_ACCESS_DENIED
inline constexpr unsigned long kSharingViolation = 32;   // ERROR_SHARING_VIOLATION
inline constexpr unsigned long kLockViolation = 33;      // ERROR_LOCK_VIOLATION

inline constexpr unsigned long kPluginErrorBit = 0x20000000;
constexpr unsigned long PluginError(unsigned long code) { return kPluginErrorBit | code; }

// The plug-in's own, by their numbers as shown ("plug-in error 1003: ...").
// A file beside the plug-in would have a path longer than the plug-in's buffers.
inline constexpr unsigned long kPathTooLong = PluginError(1001);
// The sequence store is, or would grow, larger than the store reads (kBatchSeqFileLimit).
inline constexpr unsigned long kStoreTooLarge = PluginError(1002);
// Another station held the sequence store's lock past kSequenceLockWaitMs.
inline constexpr unsigned long kLockNotGiven = PluginError(1003);
// The sequence number written was not what the store gave back.
inline constexpr unsigned long kNotReadBack = PluginError(1004);
// A write reported success but put fewer bytes in than it was given.
inline constexpr unsigned long kShortWrite = PluginError(1005);
// Windows opened the file in the user's VirtualStore, not where it was meant to be
// (records/data_folder.h, IsRedirected).
inline constexpr unsigned long kRedirected = PluginError(1006);

// One of the plug-in's own numbers, what it is shown with.
struct PluginErrorText {
  unsigned long error;
  const char* text;
};

// Every one of the plug-in's own numbers, in ascending order.
std::span<const PluginErrorText> PluginErrorTexts();

// Room for FormatErrorNumber's longest text.
inline constexpr size_t kErrorNumberTextSize = 128;

// "error 5" for the system's number 5; "plug-in error 1003: the sequence store's lock
// was not given within 5 s" for one of the plug-in's own. Into out (size bytes).
void FormatErrorNumber(unsigned long error, char* out, size_t size);
