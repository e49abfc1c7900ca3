#pragma once
// Shared helpers of the Win32 tests: where the built files are, fresh copies of the
// plug-in in their own folders, and the recording station functions that this test
// program offers through its exported GetStationFunctions.
#include <windows.h>

#include <string>
#include <vector>

#include "gateway/transport_errors.h"
#include "host/station_interface.h"

namespace testenv {

// The folder of this test program (the build directory), with a trailing backslash.
std::string BuildDir();

// A new empty folder under the test program's scratch folder.
std::string MakeScratchDir(const std::string& name);

void WriteTextFile(const std::string& path, const std::string& text);

// The text the transport leaves when step fails with number.
std::string FailureText(TransportStep step, int number);
std::string ReadTextFile(const std::string& path);

// The gateway stand-ins' work folder (GATEWAYS_DIR, set by tests/win32/run_with_gateways.sh)
// as a Windows path with a trailing backslash, or "" when the tests run without them.
std::string GatewaysDir();
// The journal lines the stand-in on address (its journal's name) has written so far.
std::vector<std::string> JournalLines(const std::string& address);
// The value of key in a journal line ("key=value" pairs separated by blanks), or "".
std::string JournalValue(const std::string& line, const std::string& key);

// What the plug-in called in this test program, and how the table is filled.
struct HostRecord {
  int getFunctionsCalls = 0;
  int tableSize = 0;
  struct DialogCall {
    HINSTANCE module;
    std::string templateName;
    HWND owner;
    DLGPROC proc;
    LPARAM init;
  };
  std::vector<DialogCall> dialogCalls;
  struct DepositCall {
    std::string user;
    int32_t amount;
    int32_t balance;
  };
  std::vector<DepositCall> depositCalls;
  struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
  };
  std::vector<MessageBoxCall> messageBoxes;

  // Behaviour of the table this host fills in.
  bool fillDeposit = true;
  bool fillMessageBox = true;
  bool fillDialogBox = true;
  bool dialogBoxShowsDialog = true;  // else it returns cannedDialogResult at once
  INT_PTR cannedDialogResult = 0;
  int32_t depositResult = 0;
  int32_t depositNewBalance = -1;  // written through the pointer when >= 0
};
extern HostRecord host;
void ResetHost();

// A copy of the built plug-in in its own folder, loaded; unloaded on destruction.
class LoadedPlugin {
 public:
  // folder: where to copy CSPlugin.dll; settingsIni: contents of CSPlugin.INI, none if empty.
  explicit LoadedPlugin(const std::string& folder, const std::string& settingsIni = "",
                        const std::string& fileName = "CSPlugin.dll");
  ~LoadedPlugin();
  // Frees the copy now, as a station program that unloads the plug-in does.
  void Unload();
  HMODULE module() const { return module_; }
  const std::string& path() const { return path_; }
  decltype(&SPMEjectCard) eject;
  decltype(&SPMConfig) config;
  decltype(&SPMAccounting) charge;
  decltype(&SPMDeposit) deposit;

 private:
  HMODULE module_;
  std::string path_;
};

}  // namespace testenv
