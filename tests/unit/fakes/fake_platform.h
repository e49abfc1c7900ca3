#pragma once
// In-memory stand-ins for the platform seams, for native tests. Each test starts with
// ResetPlatformFakes() (and the Reset*State functions of the code under test).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "records/local_clock.h"

namespace fake {

// file -> section -> key -> value, as the profile seam sees INI files.
using IniFile = std::map<std::string, std::map<std::string, std::string>>;
extern std::map<std::string, IniFile> profiles;
extern std::map<std::string, bool> readOnlyFiles;  // writes to these fail
extern uint32_t writeError;      // the error number a failed write reports (default 5)
extern int writesBeforeFailure;  // this many more writes succeed, then all fail; -1: no limit
extern int profileWrites;                          // successful writes so far
struct ProfileWrite {
  std::string file, section, key, value;
};
extern std::vector<ProfileWrite> profileWriteLog;  // successful writes, in order
struct ProfileRead {
  std::string file, section, key;
};
extern std::vector<ProfileRead> profileReadLog;  // every read, in order

extern std::string modulePath;   // what ModuleFilePath reports
extern bool modulePathFails;

extern LocalDateTime now;
// The system zone's key name and standard-time name (Central's by default).
extern std::u16string zoneKeyName;
extern std::u16string zoneStandardName;

// Journal files: path -> contents, as AppendJournalRecord left them.
extern std::map<std::string, std::string> journalFiles;
extern unsigned long journalError;  // when not 0, every append fails with it
extern std::map<std::string, unsigned long> journalPathErrors;  // appends to these fail
extern std::map<std::string, unsigned long> journalReadErrors;  // reads of these fail
extern unsigned long journalListError;  // when not 0, listing the folder fails with it
extern int journalReads;                // files read whole so far

// Files of the sequence store: path -> bytes. The errors, when not 0, fail the call.
extern std::map<std::string, std::string> storeFiles;
extern unsigned long storeLockError, storeReadError, storeReplaceError;
extern bool storeReplaceFailsOnNew;  // storeReplaceError is for CSBatchSeq.new, not the store
extern bool storeReplaceIsLost;  // a replace reports success and changes nothing
extern int storeLocksHeld;       // taken and not given back
extern int storeReplaces;        // files put in place: numbers handed out
// path -> where the system opened it (a user's VirtualStore), for the store, its lock and
// the journal; a path not listed is opened where it is.
extern std::map<std::string, std::string> openedPaths;
extern std::map<std::string, unsigned long> folderErrors;  // data folder -> ProbeDataFolder's error

void ResetPlatformFakes();

}  // namespace fake
