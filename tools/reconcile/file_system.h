#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Platform seam: finding journal files and making the output folder. The native build
// uses std::filesystem (file_system_std.cpp), the Windows build the file API's ANSI
// functions (file_system_win32.cpp), as the plug-in does. Files themselves are read and
// written with the C library, the same on both.

struct FoundFile {
  std::string Path;  // as given, or the folder given joined with what lies under it
  std::string Name;  // the last part of the path
  uint64_t Size;     // bytes
};

// path a file: that file, whatever its name. path a folder: every file under it, at any
// depth, whose name is CSJournal-*.csv (letters in any case), in the order of their
// paths. False with the system's reason in error when path cannot be read.
bool FindJournalFiles(const std::string& path, std::vector<FoundFile>& files, std::string& error);

// Makes the folder at path unless it is there; false with the reason in error.
bool MakeFolder(const std::string& path, std::string& error);

// folder and name with the platform's separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether a file name is one the search takes: CSJournal-*.csv, in any case.
bool IsJournalFileName(const std::string& name);
