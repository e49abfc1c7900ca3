#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testenv {

HostRecord host;

void ResetHost() { host = HostRecord{}; }

std::string BuildDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string MakeScratchDir(const std::string& name) {
  // Wine reuses small process ids: a time stamp keeps runs apart.
  static const std::string run = std::to_string(GetTickCount64()) + "." + std::to_string(GetCurrentProcessId());
  static int counter = 0;
  const std::string root = BuildDir() + "scratch\\";
  CreateDirectoryA(root.c_str(), nullptr);
  const std::string dir = root + name + "." + run + "." + std::to_string(++counter) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string FailureText(TransportStep step, int number) {
  char text[64];
  const bool status = step == TransportStep::CheckStatus;
  FormatTransportFailure(TransportResult{step, status ? 0 : number, status ? number : 0}, text,
                         sizeof text);
  return text;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::string GatewaysDir() {
  const char* unixDir = std::getenv("GATEWAYS_DIR");
  if (unixDir == nullptr) return "";
  std::string dir = std::string("Z:") + unixDir + "/";
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  return dir;
}

std::vector<std::string> JournalLines(const std::string& address) {
  const std::string text = ReadTextFile(GatewaysDir() + address + ".journal");
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string JournalValue(const std::string& line, const std::string& key) {
  const std::string pattern = " " + key + "=";
  const size_t at = (" " + line).find(pattern);
  if (at == std::string::npos) return "";
  const size_t begin = at + pattern.size() - 1;
  return line.substr(begin, line.find(' ', begin) - begin);
}

LoadedPlugin::LoadedPlugin(const std::string& folder, const std::string& settingsIni,
                           const std::string& fileName)
    : path_(folder + fileName) {
  CopyFileA((BuildDir() + "CSPlugin.dll").c_str(), path_.c_str(), FALSE);
  if (!settingsIni.empty()) {
    const std::string ini = path_.substr(0, path_.find_last_of('.')) + ".INI";
    WriteTextFile(ini, settingsIni);
  }
  // A name without an extension needs a trailing '.', or LoadLibrary appends ".dll".
  const std::string loadName = fileName.find('.') == std::string::npos ? path_ + "." : path_;
  module_ = LoadLibraryA(loadName.c_str());
  EXPECT_NE(nullptr, module_) << "LoadLibrary " << path_ << " failed, error " << GetLastError();
  auto find = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_, name)); };
  eject = reinterpret_cast<decltype(eject)>(find("SPMEjectCard"));
  config = reinterpret_cast<decltype(config)>(find("SPMConfig"));
  charge = reinterpret_cast<decltype(charge)>(find("SPMAccounting"));
  deposit = reinterpret_cast<decltype(deposit)>(find("SPMDeposit"));
}

LoadedPlugin::~LoadedPlugin() { Unload(); }

void LoadedPlugin::Unload() {
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
}

namespace {

int32_t __cdecl RecordDeposit(const char* user, int32_t amount, int32_t* balance) {
  host.depositCalls.push_back({user, amount, balance != nullptr ? *balance : 0});
  if (host.depositNewBalance >= 0 && balance != nullptr) *balance = host.depositNewBalance;
  return host.depositResult;
}

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  host.messageBoxes.push_back({owner, text != nullptr ? text : "", caption != nullptr ? caption : "", flags});
  return MessageBoxA(owner, text, caption, flags);
}

INT_PTR WINAPI RecordDialogBox(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC proc, LPARAM init) {
  host.dialogCalls.push_back({module, name, owner, proc, init});
  if (!host.dialogBoxShowsDialog) return host.cannedDialogResult;
  return DialogBoxParamA(module, name, owner, proc, init);
}

}  // namespace
}  // namespace testenv

// This test program is a station program: the plug-in finds this at attach.
extern "C" __declspec(dllexport) void __cdecl GetStationFunctions(StationFunctionTable* table, int32_t size) {
  using testenv::host;
  ++host.getFunctionsCalls;
  host.tableSize = size;
  table->StationDeposit = host.fillDeposit ? testenv::RecordDeposit : nullptr;
  table->StationMessageBox = host.fillMessageBox ? testenv::RecordMessageBox : nullptr;
  table->StationDialogBoxParam = host.fillDialogBox ? testenv::RecordDialogBox : nullptr;
}
