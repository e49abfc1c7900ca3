// The plug-in in the two stand-in station programs, run as separate processes the way
// a station starts: StationSim.exe, which offers the function table, and FallbackHost.exe,
// the same program without GetStationFunctions. Their printed record shows which
// functions the plug-in called.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win32_test_support.h"

namespace {

constexpr DWORD kProgramTimeoutMs = 60000;

struct ProgramRun {
  DWORD exitCode;
  std::string output;
};

// Runs a program of the build folder with the arguments and collects what it prints.
ProgramRun RunProgram(const std::string& program, const std::string& arguments) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"";
  commandLine += testenv::BuildDir();
  commandLine += program;
  commandLine += "\" ";
  commandLine += arguments;
  ProgramRun run{~0u, ""};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "cannot start " << program << ", error " << GetLastError();
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    return run;
  }
  CloseHandle(writeEnd);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
  CloseHandle(readEnd);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, kProgramTimeoutMs)) << program << " hangs";
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return run;
}

std::string PluginCopy(const std::string& name) {
  const std::string dir = testenv::MakeScratchDir(name);
  const std::string path = dir + "CSPlugin.dll";
  CopyFileA((testenv::BuildDir() + "CSPlugin.dll").c_str(), path.c_str(), FALSE);
  testenv::WriteTextFile(dir + "CSPlugin.INI", "[Settings]\r\nURL=https://127.0.0.50/ipsx/gateway\r\n");
  return path;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(StationPrograms, HostWithoutFunctionTableStillChargesThroughTheSystemDialog) {
  const std::string plugin = PluginCopy("fallback-charge");
  const ProgramRun run = RunProgram("FallbackHost.exe", "--plugin \"" + plugin +
                                                     "\" charge 150 --drive \"dialog|text:100:card ID|click:2|closed\"");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_FALSE(Contains(run.output, "GetStationFunctions")) << run.output;
  EXPECT_FALSE(Contains(run.output, "station: DialogBoxParam")) << run.output;
  EXPECT_TRUE(Contains(run.output, "driver: dialog")) << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMAccounting returned 2")) << run.output;
}

TEST(StationPrograms, HostWithoutFunctionTableRefusesDepositsItCannotCredit) {
  const std::string plugin = PluginCopy("fallback-deposit");
  const ProgramRun run = RunProgram(
      "FallbackHost.exe",
      "--plugin \"" + plugin + "\" deposit bob 700 --drive \"dialog|text:100:not available|click:2|closed\"");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMDeposit returned 0")) << run.output;
  EXPECT_FALSE(Contains(run.output, "StationDeposit")) << run.output;
}

TEST(StationPrograms, StationSimulatorRecordsTheTableAndTheDialogCalls) {
  const std::string plugin = PluginCopy("station-sim");
  const ProgramRun run = RunProgram("StationSim.exe", "--plugin \"" + plugin +
                                                   "\" eject charge 250 --drive \"dialog|click:2|closed\"");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  // Five pointers: 20 bytes in the 32-bit DLL.
  const std::string tableSize = std::to_string(5 * sizeof(void*));
  EXPECT_TRUE(Contains(run.output, "GetStationFunctions(table, size=" + tableSize + ")")) << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMEjectCard returned 0")) << run.output;
  EXPECT_TRUE(Contains(run.output,
                       "DialogBoxParam(module=CSPlugin.dll, template=\"CardPIN\", owner=station window, init=250)"))
      << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMAccounting returned 2")) << run.output;
}

TEST(StationPrograms, EmptyMessageBoxSlotLeavesTheDialogsWorking) {
  const std::string plugin = PluginCopy("empty-slot-3");
  const ProgramRun run = RunProgram("StationSim.exe", "--empty-slot 3 --plugin \"" + plugin +
                                                   "\" charge 100 --drive \"dialog|click:2|closed\"");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_TRUE(Contains(run.output, "filled slots 2=deposit 3=empty 4=dialog box")) << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMAccounting returned 2")) << run.output;
}

// A user text longer than any fixed buffer must reach the station's deposit function
// whole: a cut one books the money into another account.
TEST(StationPrograms, LongUserTextIsBookedWhole) {
  const std::string plugin = PluginCopy("long-user");
  testenv::WriteTextFile(plugin.substr(0, plugin.size() - 3) + "INI",
                         "[Settings]\r\nURL=https://127.0.0.13/ipsx/gateway\r\n"
                         "MerchantID=887700123\r\nTerminalID=T0042\r\n");
  const std::string user = std::string(255, 'u') + "-the-real-one";
  const ProgramRun run = RunProgram(
      "StationSim.exe", "--plugin \"" + plugin + "\" deposit " + user +
                            " 0 --drive \"dialog|type:101:6039502000002106|click:1|text:100:Enter amount|"
                            "type:101:5|click:1|closed\"");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_TRUE(Contains(run.output, "StationDeposit(user=\"" + user + "\", amount=500")) << run.output;
  EXPECT_TRUE(Contains(run.output, "booked 5.00 into \"" + user + "\"")) << run.output;
  EXPECT_TRUE(Contains(run.output, "result: SPMDeposit returned 500")) << run.output;
}

}  // namespace
