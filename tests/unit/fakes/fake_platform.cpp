#include "fakes/fake_platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "records/data_folder.h"
#include "records/file_errors.h"
#include "records/journal_file.h"
#include "records/sequence_file.h"
#include "settings/module_path.h"
#include "settings/profile_store.h"

namespace fake {

namespace {

constexpr uint32_t kAccessDenied = 5;  // ERROR_ACCESS_DENIED, what a read-only file gives

}  // namespace

std::map<std::string, IniFile> profiles;
std::map<std::string, bool> readOnlyFiles;
int profileWrites = 0;
uint32_t writeError = kAccessDenied;
int writesBeforeFailure = -1;
std::vector<ProfileWrite> profileWriteLog;
std::vector<ProfileRead> profileReadLog;
std::string modulePath;
bool modulePathFails = false;
LocalDateTime now{2018, 7, 18, 14, 5, 9};
std::u16string zoneKeyName = u"Central Standard Time";
std::u16string zoneStandardName = u"Central Standard Time";
std::map<std::string, std::string> journalFiles;
unsigned long journalError = 0;
std::map<std::string, unsigned long> journalPathErrors;
std::map<std::string, unsigned long> journalReadErrors;
unsigned long journalListError = 0;
int journalReads = 0;
std::map<std::string, std::string> storeFiles;
unsigned long storeLockError = 0;
unsigned long storeReadError = 0;
unsigned long storeReplaceError = 0;
bool storeReplaceFailsOnNew = false;
bool storeReplaceIsLost = false;
int storeLocksHeld = 0;
int storeReplaces = 0;
std::map<std::string, std::string> openedPaths;
std::map<std::string, unsigned long> folderErrors;

void ResetPlatformFakes() {
  storeFiles.clear();
  storeLockError = storeReadError = storeReplaceError = 0;
  storeReplaceIsLost = false;
  storeReplaceFailsOnNew = false;
  storeLocksHeld = 0;
  storeReplaces = 0;
  openedPaths.clear();
  folderErrors.clear();
  journalFiles.clear();
  journalError = 0;
  journalPathErrors.clear();
  journalReadErrors.clear();
  journalListError = 0;
  journalReads = 0;
  profiles.clear();
  readOnlyFiles.clear();
  profileWrites = 0;
  writeError = kAccessDenied;
  writesBeforeFailure = -1;
  profileWriteLog.clear();
  profileReadLog.clear();
  modulePath = "C:\\Station\\CSPlugin.dll";
  modulePathFails = false;
  now = LocalDateTime{2018, 7, 18, 14, 5, 9};
  zoneKeyName = zoneStandardName = u"Central Standard Time";
}

namespace {

const std::string* FindValue(const char* file, const char* section, const char* key) {
  profileReadLog.push_back({file, section, key});
  auto f = profiles.find(file);
  if (f == profiles.end()) return nullptr;
  auto s = f->second.find(section);
  if (s == f->second.end()) return nullptr;
  auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

}  // namespace
}  // namespace fake

unsigned ProfileReadString(const char* section, const char* key, const char* fallback, char* out,
                           unsigned outSize, const char* file) {
  const std::string* value = fake::FindValue(file, section, key);
  const char* text = value != nullptr ? value->c_str() : fallback;
  if (outSize == 0) return 0;
  std::strncpy(out, text, outSize - 1);
  out[outSize - 1] = '\0';
  return static_cast<unsigned>(std::strlen(out));
}

int ProfileReadInt(const char* section, const char* key, int fallback, const char* file) {
  const std::string* value = fake::FindValue(file, section, key);
  if (value == nullptr) return fallback;
  return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file,
                        uint32_t* error) {
  if (fake::readOnlyFiles[file] || fake::writesBeforeFailure == 0) {
    if (error != nullptr) *error = fake::writeError;
    return false;
  }
  if (fake::writesBeforeFailure > 0) --fake::writesBeforeFailure;
  fake::profiles[file][section][key] = value;
  ++fake::profileWrites;
  fake::profileWriteLog.push_back({file, section, key, value});
  return true;
}

unsigned ModuleFilePath(char* out, unsigned outSize) {
  if (fake::modulePathFails || outSize == 0) return 0;
  std::strncpy(out, fake::modulePath.c_str(), outSize - 1);
  out[outSize - 1] = '\0';
  // GetModuleFileNameA reports a cut path with the full buffer size.
  return fake::modulePath.size() >= outSize ? outSize : static_cast<unsigned>(fake::modulePath.size());
}

LocalDateTime CurrentLocalTime() { return fake::now; }
unsigned short ZoneKeyInitial() { return fake::zoneKeyName.empty() ? 0 : fake::zoneKeyName[0]; }
unsigned short StandardZoneInitial() { return fake::zoneStandardName.empty() ? 0 : fake::zoneStandardName[0]; }

namespace {

// Where the system opened the file at path: the path itself, unless a test redirected it.
void Opened(const char* path, char* opened) {
  auto redirected = fake::openedPaths.find(path);
  std::snprintf(opened, kOpenedPathSize, "\\\\?\\%s",
                redirected != fake::openedPaths.end() ? redirected->second.c_str() : path);
}

}  // namespace

unsigned long ProbeDataFolder(const char* folder) {
  auto failing = fake::folderErrors.find(folder);
  return failing != fake::folderErrors.end() ? failing->second : 0;
}

unsigned long AppendJournalRecord(const char* path, const char* header, const char* record) {
  if (fake::journalError != 0) return fake::journalError;
  char opened[kOpenedPathSize];
  Opened(path, opened);
  if (IsRedirected(path, opened)) return kRedirected;
  auto held = fake::journalPathErrors.find(path);
  if (held != fake::journalPathErrors.end()) return held->second;
  std::string& file = fake::journalFiles[path];
  if (file.empty()) file = header;
  file += record;
  return 0;
}

unsigned long LockSequenceStore(const char* lockPath, char* opened) {
  Opened(lockPath, opened);
  if (fake::storeLockError != 0) return fake::storeLockError;
  ++fake::storeLocksHeld;
  return 0;
}

void UnlockSequenceStore() { --fake::storeLocksHeld; }

unsigned long ReadSequenceFile(const char* path, char* out, size_t outSize, size_t* length,
                               char* opened) {
  *length = 0;
  Opened(path, opened);
  if (fake::storeReadError != 0) return fake::storeReadError;
  auto file = fake::storeFiles.find(path);
  if (file == fake::storeFiles.end()) return kFileNotFound;
  if (file->second.size() > outSize) return kStoreTooLarge;
  std::memcpy(out, file->second.data(), file->second.size());
  *length = file->second.size();
  return 0;
}

unsigned long ReplaceSequenceFile(const char* path, const char* newPath, const char* text, size_t length,
                                  const char** failedPath) {
  *failedPath = fake::storeReplaceFailsOnNew ? newPath : path;
  if (fake::storeReplaceError != 0) return fake::storeReplaceError;
  if (!fake::storeReplaceIsLost) fake::storeFiles[path] = std::string(text, length);
  ++fake::storeReplaces;
  return 0;
}

unsigned long ReadJournalFile(const char* path, JournalChunkSink sink, void* context) {
  auto held = fake::journalReadErrors.find(path);
  if (held != fake::journalReadErrors.end()) return held->second;
  auto file = fake::journalFiles.find(path);
  if (file == fake::journalFiles.end()) return kFileNotFound;
  ++fake::journalReads;
  // In small pieces, so that lines cross them.
  constexpr size_t kPiece = 7;
  for (size_t at = 0; at < file->second.size(); at += kPiece) {
    sink(context, file->second.data() + at, std::min(kPiece, file->second.size() - at));
  }
  return 0;
}

unsigned long ListJournalFiles(const char* pattern, JournalNameSink sink, void* context) {
  if (fake::journalListError != 0) return fake::journalListError;
  const char* star = std::strchr(pattern, '*');
  const std::string before(pattern, star);  // the folder and the name's beginning
  const std::string after(star + 1);
  const size_t folder = before.rfind('\\') + 1;
  for (const auto& [path, text] : fake::journalFiles) {
    const bool matches = path.size() >= before.size() + after.size() && path.starts_with(before) &&
                         path.ends_with(after) && path.find('\\', folder) == std::string::npos;
    if (matches) sink(context, path.c_str() + folder);
  }
  return 0;
}
