#pragma once
// The folder of the files the plug-in writes as it runs: the sequence store with its lock
// and new file, and the journal. It is decided here and nowhere else: the folder that
// [Settings] DataFolder names (CurrentDataFolder, read at attach), or else the plug-in's
// own folder. Any thread may ask.

// The path of fileName in that folder into out (outSize bytes). False, with out empty,
// when the folder is unknown, the settings file's DataFolder was refused, or the whole
// does not fit.
bool DataFilePath(const char* fileName, char* out, unsigned outSize);

// The folder itself, ending with a backslash, into out (outSize bytes); false, with out
// empty, as for DataFilePath.
bool DataFolderPath(char* out, unsigned outSize);

// Room for the path Windows reports for an open file (GetFinalPathNameByHandle).
inline constexpr unsigned kOpenedPathSize = 600;

// True when opened, the path of the file that the system opened for the path meant, lies
// in a user's VirtualStore and meant does not: Windows redirected, into that user's
// profile, a write that the folder refused (UAC file virtualization of a 32-bit program
// without a manifest). Each account would then keep numbers and journal of its own.
// opened is as GetFinalPathNameByHandle gives it ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), or empty when it could not be had. Any other
// difference (case, 8.3 names, a junction, a mapped drive) names the same file.
bool IsRedirected(const char* meant, const char* opened);

// Platform seam: whether the plug-in can write in folder (a path ending with a
// backslash): a probe file is created there with the data files' rights and deleted at
// once. 0, or the system's error number (3: the folder does not exist; 5: it may not be
// written), or kRedirected when Windows put the probe into the user's VirtualStore.
unsigned long ProbeDataFolder(const char* folder);
