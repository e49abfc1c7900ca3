// Station simulator: a stand-in for the print station program. It exports
// GetStationFunctions, keeps print accounts, loads the plug-in by name as the station
// program does and calls its exports from the command line. Every call the plug-in
// makes into the station is printed. Without --drive a person operates the dialogs.
//
//   StationSim.exe [options] COMMAND [--drive SCRIPT] [COMMAND [--drive SCRIPT] ...]
//   commands: charge CENTS | deposit USER [BALANCE] | config | eject | balance USER
//   options:  --plugin PATH        the plug-in DLL (default CSPlugin.dll beside this program)
//             --accounts FILE      print accounts, an INI file (default StationAccounts.ini here)
//             --fail-deposit N     the deposit function refuses with error number N
//             --empty-slot N       leave slot N (2, 3 or 4) of the function table empty
//             --no-owner           pass no owner window to the exports
//             --times              print when each export returned (microseconds since
//                                  1970, UTC), for benchmarks
//             --version, --help
// It is shipped in the release package, so that an administrator can try the plug-in
// on a Windows computer without the station program: its usage text says how.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/station_interface.h"
#include "product_version.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

namespace {

constexpr char kAccountsSection[] = "PrintAccounts";
#ifdef STATION_WITHOUT_FUNCTION_TABLE
constexpr char kProgramName[] = "FallbackHost.exe";
#else
constexpr char kProgramName[] = "StationSim.exe";
#endif

struct Options {
  std::string plugin;
  std::string accounts;
  int failDeposit = 0;
  bool emptySlot[5] = {};
  bool owner = true;
  bool times = false;
};

Options options;

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) slash[1] = '\0';
  return std::string(path) + name;
}

#ifndef STATION_WITHOUT_FUNCTION_TABLE
std::string ModuleName(HINSTANCE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

std::string Printable(const char* text) {
  std::string out;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    if (*p == '\n') {
      out += "\\n";
    } else {
      out += *p;
    }
  }
  return out;
}

#endif

int32_t ReadBalance(const std::string& user) {
  return static_cast<int32_t>(
      GetPrivateProfileIntA(kAccountsSection, user.c_str(), 0, options.accounts.c_str()));
}

void WriteBalance(const std::string& user, int32_t cents) {
  WritePrivateProfileStringA(kAccountsSection, user.c_str(), std::to_string(cents).c_str(),
                             options.accounts.c_str());
}

std::string Money(int32_t cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d.%02d", cents < 0 ? "-" : "", std::abs(cents / 100),
                std::abs(cents % 100));
  return text;
}

// --- The station's functions, as the plug-in calls them. ---

#ifndef STATION_WITHOUT_FUNCTION_TABLE
int32_t __cdecl StationDeposit(const char* user, int32_t amountCents, int32_t* balanceCents) {
  std::printf("station: StationDeposit(user=\"%s\", amount=%d, balance=%d)\n", user, amountCents,
              balanceCents != nullptr ? *balanceCents : 0);
  if (options.failDeposit != 0) {
    std::printf("station: deposit refused with error %d\n", options.failDeposit);
    return options.failDeposit;
  }
  const int32_t booked = ReadBalance(user) + amountCents;
  WriteBalance(user, booked);
  if (balanceCents != nullptr) *balanceCents = booked;
  std::printf("station: booked %s into \"%s\", print balance now %s\n", Money(amountCents).c_str(), user,
              Money(booked).c_str());
  return 0;
}

int WINAPI StationMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  std::printf("station: MessageBox(text=\"%s\", caption=\"%s\", flags=0x%X)\n", Printable(text).c_str(),
              caption, flags);
  std::fflush(stdout);
  return MessageBoxA(owner, text, caption, flags);
}

INT_PTR WINAPI StationDialogBoxParam(HINSTANCE module, LPCSTR templateName, HWND owner, DLGPROC proc,
                                     LPARAM init) {
  std::printf("station: DialogBoxParam(module=%s, template=\"%s\", owner=%s, init=%ld)\n",
              ModuleName(module).c_str(), templateName, owner != nullptr ? "station window" : "none",
              static_cast<long>(init));
  std::fflush(stdout);
  return DialogBoxParamA(module, templateName, owner, proc, init);
}
#endif

// --- Running the commands. ---

unsigned long long MicrosecondsSince1970() {
  constexpr unsigned long long kFileTimeAt1970 = 116444736000000000ULL;  // 100 ns units
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - kFileTimeAt1970) / 10;
}

struct DriveJob {
  DWORD uiThread;
  std::string script;
  bool passed;
  volatile LONG exportReturned;
};

constexpr int kGiveUpMs = 30000;

DWORD WINAPI DriveThread(LPVOID param) {
  auto* job = static_cast<DriveJob*>(param);
  job->passed = driver::RunScript(job->uiThread, job->script, stdout);
  if (job->passed) return 0;
  // A failed script leaves a dialog open: close what is open so the export returns.
  for (int waited = 0; waited < kGiveUpMs && InterlockedCompareExchange(&job->exportReturned, 0, 0) == 0;
       waited += 200) {
    if (HWND box = driver::WaitForMessageBox(job->uiThread, 0)) PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (HWND dialog = driver::WaitForDialog(job->uiThread, 0)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    Sleep(200);
  }
  return 0;
}

template <typename Call>
int32_t RunExport(const std::string& script, Call call, bool* scriptPassed) {
  DriveJob job{GetCurrentThreadId(), script, true, 0};
  HANDLE thread = nullptr;
  if (!script.empty()) thread = CreateThread(nullptr, 0, DriveThread, &job, 0, nullptr);
  const int32_t result = call();
  if (options.times) std::printf("station: returned at %llu\n", MicrosecondsSince1970());
  InterlockedExchange(&job.exportReturned, 1);
  if (thread != nullptr) {
    WaitForSingleObject(thread, kGiveUpMs);
    CloseHandle(thread);
  }
  *scriptPassed = job.passed;
  return result;
}

HWND CreateStationWindow() {
  HWND window = CreateWindowExA(0, "STATIC", "Print station (simulator)", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 640, 420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  return window;
}

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "%s %s: a stand-in for the print station program. It loads the\n"
               "%s (CSPlugin.dll) as the station program does, so that\n"
               "it can be tried on a Windows computer without the station program.\n"
               "\n"
               "usage: %s [options] COMMAND [--drive SCRIPT] [COMMAND [--drive SCRIPT] ...]\n"
               "\n"
               "Put %s, CSPlugin.dll and CSPlugin.INI in one folder that you may write to,\n"
               "open a command prompt there and run, for example:\n"
               "  %s config             the configuration dialog: enter the gateway's\n"
               "                                    settings and a card number, press Test, then Save\n"
               "  %s charge 150         charge 1.50 to a card, as for a print job\n"
               "  %s deposit alice 500  set the print balance of \"alice\" to 5.00, then\n"
               "                                    move money from a card into it\n"
               "  %s balance alice      show the print balance of \"alice\"\n"
               "Commands run one after the other. Charges and deposits move real money when\n"
               "the plug-in's URL is a live gateway. Print accounts are kept in\n"
               "StationAccounts.ini beside this program.\n"
               "\n"
               "commands: charge CENTS | deposit USER [BALANCE] | config | eject | balance USER\n"
               "options:  --plugin PATH     the plug-in (default CSPlugin.dll beside this program)\n"
               "          --accounts FILE   print accounts (default StationAccounts.ini beside it)\n"
               "          --fail-deposit N  the station refuses deposits with error number N\n"
               "          --empty-slot N    leave slot N (2, 3 or 4) of the function table empty\n"
               "          --no-owner        call the plug-in without an owner window\n"
               "          --times           print when each export returned, for benchmarks\n"
               "          --version         print the version and stop\n"
               "          --help            this text\n"
               "after a command: --drive SCRIPT  work its dialogs by script (for tests)\n",
               kProgramName, PRODUCT_VERSION_TEXT, PRODUCT_NAME, kProgramName, kProgramName,
               kProgramName, kProgramName, kProgramName, kProgramName);
}

int Usage() {
  PrintUsage(stderr);
  return 2;
}

// The plug-in's file version from its version resource, or why there is none.
std::string PluginVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::vector<char> info(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
      !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof *fixed) {
    return "unknown (no version resource)";
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS));
}

}  // namespace

#ifndef STATION_WITHOUT_FUNCTION_TABLE
// Built without this export, the same program is a host that offers no function table.
extern "C" __declspec(dllexport) void __cdecl GetStationFunctions(StationFunctionTable* table, int32_t size) {
  std::printf("station: GetStationFunctions(table, size=%d)\n", size);
  if (table == nullptr || size < static_cast<int32_t>(sizeof *table)) return;
  table->StationDeposit = options.emptySlot[2] ? nullptr : StationDeposit;
  table->StationMessageBox = options.emptySlot[3] ? nullptr : StationMessageBox;
  table->StationDialogBoxParam = options.emptySlot[4] ? nullptr : StationDialogBoxParam;
  std::printf("station: filled slots 2=%s 3=%s 4=%s\n", table->StationDeposit ? "deposit" : "empty",
              table->StationMessageBox ? "message box" : "empty",
              table->StationDialogBoxParam ? "dialog box" : "empty");
}
#endif

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  options.plugin = BesideThisProgram("CSPlugin.dll");
  options.accounts = BesideThisProgram("StationAccounts.ini");
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string flag = argv[i];
    if (flag == "--no-owner") {
      options.owner = false;
    } else if (flag == "--times") {
      options.times = true;
    } else if (flag == "--help") {
      PrintUsage(stdout);
      return 0;
    } else if (flag == "--version") {
      std::printf("%s %s (%s)\n", kProgramName, PRODUCT_VERSION_TEXT, PRODUCT_NAME);
      return 0;
    } else if (i + 1 >= argc) {
      return Usage();
    } else if (flag == "--plugin") {
      options.plugin = argv[++i];
    } else if (flag == "--accounts") {
      options.accounts = argv[++i];
    } else if (flag == "--fail-deposit") {
      options.failDeposit = std::atoi(argv[++i]);
    } else if (flag == "--empty-slot") {
      const int slot = std::atoi(argv[++i]);
      if (slot < 2 || slot > 4) return Usage();
      options.emptySlot[slot] = true;
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();

  std::printf("station: loading %s\n", options.plugin.c_str());
  HMODULE plugin = LoadLibraryA(options.plugin.c_str());
  if (plugin == nullptr) {
    std::printf("station: cannot load the plug-in (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("station: plug-in version %s\n", PluginVersion(options.plugin).c_str());
  auto eject = reinterpret_cast<decltype(&SPMEjectCard)>(reinterpret_cast<void*>(GetProcAddress(plugin, "SPMEjectCard")));
  auto config = reinterpret_cast<decltype(&SPMConfig)>(reinterpret_cast<void*>(GetProcAddress(plugin, "SPMConfig")));
  auto charge = reinterpret_cast<decltype(&SPMAccounting)>(reinterpret_cast<void*>(GetProcAddress(plugin, "SPMAccounting")));
  auto deposit = reinterpret_cast<decltype(&SPMDeposit)>(reinterpret_cast<void*>(GetProcAddress(plugin, "SPMDeposit")));
  std::printf("station: exports SPMEjectCard=%s SPMConfig=%s SPMAccounting=%s SPMDeposit=%s\n",
              eject ? "found" : "MISSING", config ? "found" : "MISSING", charge ? "found" : "MISSING",
              deposit ? "found" : "MISSING");
  if (!eject || !config || !charge || !deposit) return 1;

  char settings[MAX_PATH] = {};
  GetModuleFileNameA(plugin, settings, MAX_PATH);
  char* dot = std::strrchr(settings, '.');
  if (dot != nullptr) std::strcpy(dot, ".INI");
  std::printf("station: plug-in settings file %s (%s)\n", settings,
              GetFileAttributesA(settings) != INVALID_FILE_ATTRIBUTES ? "present" : "absent, defaults apply");

  HWND owner = options.owner ? CreateStationWindow() : nullptr;
  bool allPassed = true;
  while (i < argc) {
    const std::string command = argv[i++];
    // charge CENTS | deposit USER [BALANCE] | balance USER | config | eject
    size_t arity = (command == "config" || command == "eject") ? 0 : 1;
    std::vector<std::string> args;
    while (i < argc && args.size() < arity) args.push_back(argv[i++]);
    if (command == "deposit" && i < argc && std::strncmp(argv[i], "--", 2) != 0 &&
        std::strspn(argv[i], "-0123456789") == std::strlen(argv[i])) {
      args.push_back(argv[i++]);
    }
    std::string script;
    if (i + 1 < argc && std::strcmp(argv[i], "--drive") == 0) {
      script = argv[i + 1];
      i += 2;
    }
    bool passed = true;
    if (command == "charge" && args.size() == 1) {
      const int32_t cents = std::atoi(args[0].c_str());
      std::printf("station: SPMAccounting(amount=%d)\n", cents);
      const int32_t result = RunExport(script, [&] { return charge(owner, 0, cents); }, &passed);
      std::printf("result: SPMAccounting returned %d (%s)\n", result,
                  result == 1 ? "charge approved" : "no charge");
    } else if (command == "deposit" && !args.empty()) {
      const std::string& user = args[0];
      if (args.size() == 2) WriteBalance(user, std::atoi(args[1].c_str()));
      int32_t balance = ReadBalance(user);
      std::printf("station: SPMDeposit(user=\"%s\", balance=%d)\n", user.c_str(), balance);
      const int32_t result = RunExport(script, [&] { return deposit(owner, user.c_str(), balance); }, &passed);
      std::printf("result: SPMDeposit returned %d; print balance of \"%s\" is %s\n", result, user.c_str(),
                  Money(ReadBalance(user)).c_str());
    } else if (command == "config") {
      std::printf("station: SPMConfig()\n");
      const int32_t result = RunExport(script, [&] { return config(owner); }, &passed);
      std::printf("result: SPMConfig returned %d\n", result);
    } else if (command == "eject") {
      std::printf("result: SPMEjectCard returned %d\n", eject());
    } else if (command == "balance" && args.size() == 1) {
      std::printf("result: print balance of \"%s\" is %s\n", args[0].c_str(), Money(ReadBalance(args[0])).c_str());
    } else {
      return Usage();
    }
    if (!passed) std::printf("station: the scripted steps did not all pass\n");
    allPassed = allPassed && passed;
  }
  if (owner != nullptr) DestroyWindow(owner);
  return allPassed ? 0 : 1;
}
