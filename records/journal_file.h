#pragma once
// Platform seam: appending one record to a journal file, reading one back, and listing
// the journal files of a folder. The Win32 build opens the file shared with other
// appenders and with readers, and writes each record at the end in its turn, flushed
// (journal_file_win32.cpp); native tests keep the files in memory. Callable from any
// thread; it keeps nothing between calls.

#include <cstddef>

// Appends record (one whole line with its line end) to the file at path, creating the
// file when it is missing; a file that is new or empty gets header (a line) first, and
// a file whose last line has no line end (cut off by a full disk) gets one before the
// record, so that no record is glued onto a torn one. The record goes in one write, so
// that a station program appending to the same file from another process cannot split
// it, and is on disk when this returns. A write that comes up short is taken back: the
// file is cut to its length before it. Returns 0, or the system's error number when it
// was not written. A file that another appender is
// creating at that moment is waited for, a few tens of milliseconds at most; anything
// else that holds the file fails the write at once. A file that the system opened in a
// user's VirtualStore (IsRedirected, records/data_folder.h) is not written: kRedirected.
unsigned long AppendJournalRecord(const char* path, const char* header, const char* record);

// Hands the whole file at path to sink in pieces, in order. Returns 0, kFileNotFound
// (records/file_errors.h) when there is no such file, or the system's error number.
using JournalChunkSink = void (*)(void* context, const char* bytes, size_t count);
unsigned long ReadJournalFile(const char* path, JournalChunkSink sink, void* context);

// Hands sink the name (without its folder) of every file that pattern, a folder and a
// name with '*' ("C:\\Station\\CSJournal-*.csv"), matches. Returns 0, also when none
// matches, or the system's error number when the folder cannot be listed.
using JournalNameSink = void (*)(void* context, const char* name);
unsigned long ListJournalFiles(const char* pattern, JournalNameSink sink, void* context);
