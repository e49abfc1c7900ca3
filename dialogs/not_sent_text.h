#pragma once
#include <cstddef>

#include "gateway/write_ahead.h"

// What the user is told when the write-ahead rule kept a request back: nothing was
// sent, nothing was charged, who can help, and the file with its error number as
// FormatErrorNumber gives it (or the batch, for a store that holds no valid number).
// The charge and deposit dialogs show it in their message line, the configuration Test
// in its box.

inline constexpr const char* kStoreLockedFormat =
    "Not sent: nothing was charged.\nAnother station kept %s locked (%s).\n"
    "Please ask staff for help.";
inline constexpr const char* kStoreNotStoredFormat =
    "Not sent: nothing was charged.\nThe sequence number could not be stored in %s "
    "(%s).\nPlease ask staff for help.";
inline constexpr const char* kStoreDamagedFormat =
    "Not sent: nothing was charged.\n%s holds no valid sequence number for batch %d.\n"
    "Please ask staff for help.";
inline constexpr const char* kJournalUnreadableFormat =
    "Not sent: nothing was charged.\nThe journal %s could not be read to continue the "
    "sequence numbers (%s).\nPlease ask staff for help.";
inline constexpr const char* kSendingNotWrittenFormat =
    "Not sent: nothing was charged.\nThe journal %s could not be written (%s).\n"
    "Please ask staff for help.";

// The text for a gate that did not let the request go (gate.MaySend() false), for a
// transaction of batch, into out (size bytes).
void FormatNotSent(const WriteAhead& gate, int batch, char* out, size_t size);
