#pragma once
// Platform seam: appending one record to a journal file. The Win32 build opens the file
// for appending only, shared with other appenders and with readers, and writes each
// record with one WriteFile, flushed (journal_file_win32.cpp); native tests keep the
// files in memory. Callable from any thread; it keeps nothing between calls.

// Appends record (one whole line with its line end) to the file at path, creating the
// file when it is missing; a file that is new or empty gets header (a line) first. The
// record goes in one write, so that a station program appending to the same file from
// another process cannot split it, and is on disk when this returns. Returns 0, or the
// system's error number when it was not written. A file that another appender is
// creating at that moment is waited for, a few tens of milliseconds at most; anything
// else that holds the file fails the write at once.
unsigned long AppendJournalRecord(const char* path, const char* header, const char* record);
