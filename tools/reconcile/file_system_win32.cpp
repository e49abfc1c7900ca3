// The file-system seam over the file API's ANSI functions, for the Windows build.
#include <windows.h>

#include <algorithm>

#include "tools/reconcile/file_system.h"

namespace {

std::string SystemText(DWORD error) {
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message + " (" + std::to_string(error) + ")";
}

// Every journal file under folder, depth first; false with error at the first folder
// that cannot be listed.
bool Walk(const std::string& folder, std::vector<FoundFile>& found, std::string& error) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    error = folder + ": " + SystemText(GetLastError());
    return false;
  }
  bool ok = true;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = JoinPath(folder, name);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ok = Walk(path, found, error);
    } else if (IsJournalFileName(name)) {
      found.push_back({path, name, (uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow});
    }
  } while (ok && FindNextFileA(search, &entry) != FALSE);
  FindClose(search);
  return ok;
}

}  // namespace

bool FindJournalFiles(const std::string& path, std::vector<FoundFile>& files, std::string& error) {
  WIN32_FILE_ATTRIBUTE_DATA about;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &about) == FALSE) {
    error = SystemText(GetLastError());
    return false;
  }
  if ((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const size_t slash = path.find_last_of("\\/:");
    files.push_back({path, slash == std::string::npos ? path : path.substr(slash + 1),
                     (uint64_t{about.nFileSizeHigh} << 32) | about.nFileSizeLow});
    return true;
  }
  std::vector<FoundFile> found;
  if (!Walk(path, found, error)) return false;
  std::sort(found.begin(), found.end(),
            [](const FoundFile& a, const FoundFile& b) { return a.Path < b.Path; });
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
  if (CreateDirectoryA(path.c_str(), nullptr) != FALSE) return true;
  const DWORD failure = GetLastError();
  if (failure == ERROR_ALREADY_EXISTS && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  error = SystemText(failure);
  return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':') {
    return folder + name;
  }
  return folder + "\\" + name;
}
