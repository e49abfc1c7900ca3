// The file-system seam over std::filesystem, for the native build.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "tools/reconcile/file_system.h"

namespace fs = std::filesystem;

bool FindJournalFiles(const std::string& path, std::vector<FoundFile>& files, std::string& error) {
  std::error_code failure;
  const fs::file_status status = fs::status(path, failure);
  if (failure) {
    error = failure.message();
    return false;
  }
  if (!fs::is_directory(status)) {
    files.push_back({path, fs::path(path).filename().string(), fs::file_size(path, failure)});
    if (failure) {
      error = failure.message();
      return false;
    }
    return true;
  }
  std::vector<FoundFile> found;
  fs::recursive_directory_iterator walk(path, failure);
  for (; !failure && walk != fs::recursive_directory_iterator(); walk.increment(failure)) {
    const std::string name = walk->path().filename().string();
    if (walk->is_regular_file(failure) && IsJournalFileName(name)) {
      found.push_back({walk->path().string(), name, walk->file_size(failure)});
    }
  }
  if (failure) {
    error = failure.message();
    return false;
  }
  std::sort(found.begin(), found.end(),
            [](const FoundFile& a, const FoundFile& b) { return a.Path < b.Path; });
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
  std::error_code failure;
  fs::create_directories(path, failure);
  if (failure) error = failure.message();
  return !failure;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}
