// The plug-in as the station program sees it: its export and import tables, the
// binding of the station's function table at attach, and the plumbing of the exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tools/dialog_driver/dialog_driver_win32.h"
#include "win32_test_support.h"

using testenv::host;
using testenv::LoadedPlugin;

namespace {

class HostBindingTest : public ::testing::Test {
 protected:
  void SetUp() override { testenv::ResetHost(); }
};

const IMAGE_NT_HEADERS* NtHeaders(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

std::set<std::string> ExportNames(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& dir = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> result;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) result.insert(reinterpret_cast<const char*>(base + names[i]));
  EXPECT_EQ(exports->NumberOfNames, exports->NumberOfFunctions) << "unnamed exports present";
  return result;
}

std::set<std::string> ImportedDlls(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& dir = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::set<std::string> result;
  for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
    std::string name(reinterpret_cast<const char*>(base + d->Name));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    result.insert(name);
  }
  return result;
}

TEST_F(HostBindingTest, ExportsExactlyTheFourEntryPoints) {
  LoadedPlugin plugin(testenv::MakeScratchDir("exports"));
  EXPECT_TRUE(NtHeaders(plugin.module())->FileHeader.Characteristics & IMAGE_FILE_DLL);
  const std::set<std::string> expected = {"SPMAccounting", "SPMConfig", "SPMDeposit", "SPMEjectCard"};
  EXPECT_EQ(expected, ExportNames(plugin.module()));
}

TEST_F(HostBindingTest, IsA32BitDll) {
#ifdef _WIN64
  GTEST_SKIP() << "64-bit test build: the shipped 32-bit DLL's headers are checked by release_package_files";
#endif
  LoadedPlugin plugin(testenv::MakeScratchDir("machine"));
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, NtHeaders(plugin.module())->FileHeader.Machine);
}

TEST_F(HostBindingTest, ImportsOnlySystemLibraries) {
  LoadedPlugin plugin(testenv::MakeScratchDir("imports"));
  const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL",  "COMCTL32.DLL",
                                        "WININET.DLL",  "MSVCRT.DLL", "ADVAPI32.DLL", "CRYPT32.DLL"};
  for (const std::string& dll : ImportedDlls(plugin.module())) {
    EXPECT_TRUE(system.count(dll) == 1) << "unexpected import " << dll;
  }
  EXPECT_EQ(1u, ImportedDlls(plugin.module()).count("WININET.DLL"));
}

DWORD WINAPI DoNothing(LPVOID) { return 0; }

TEST_F(HostBindingTest, AttachCallsGetStationFunctionsOnceWithTheTableSize) {
  LoadedPlugin plugin(testenv::MakeScratchDir("attach"));
  EXPECT_EQ(1, host.getFunctionsCalls);
  EXPECT_EQ(static_cast<int32_t>(5 * sizeof(void*)), host.tableSize);  // 20 in the 32-bit DLL

  // Threads attaching and detaching make the plug-in do nothing more.
  for (int i = 0; i < 3; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  EXPECT_EQ(1, host.getFunctionsCalls);
}

TEST_F(HostBindingTest, EjectReturnsZeroWhateverIsPassed) {
  LoadedPlugin plugin(testenv::MakeScratchDir("eject"));
  EXPECT_EQ(0, plugin.eject());
  EXPECT_TRUE(host.dialogCalls.empty());
}

TEST_F(HostBindingTest, AccountingRunsTheChargeDialogThroughTheHost) {
  LoadedPlugin plugin(testenv::MakeScratchDir("accounting"));
  host.dialogBoxShowsDialog = false;
  host.cannedDialogResult = 77;
  HWND owner = GetDesktopWindow();
  EXPECT_EQ(77, plugin.charge(owner, 12345, 150));
  ASSERT_EQ(1u, host.dialogCalls.size());
  const auto& call = host.dialogCalls[0];
  EXPECT_EQ(plugin.module(), call.module);
  EXPECT_STREQ("CardPIN", call.templateName.c_str());
  EXPECT_EQ(owner, call.owner);
  EXPECT_NE(nullptr, call.proc);
  EXPECT_EQ(150, call.init);

  // The second argument changes nothing; negative amounts pass unchanged.
  host.cannedDialogResult = 2;
  EXPECT_EQ(2, plugin.charge(owner, -9, -250));
  ASSERT_EQ(2u, host.dialogCalls.size());
  EXPECT_EQ(-250, host.dialogCalls[1].init);
  EXPECT_EQ(call.proc, host.dialogCalls[1].proc);
}

TEST_F(HostBindingTest, DepositRunsTheDepositDialogThroughTheHost) {
  LoadedPlugin plugin(testenv::MakeScratchDir("deposit"));
  host.dialogBoxShowsDialog = false;
  host.cannedDialogResult = 1500;
  EXPECT_EQ(1500, plugin.deposit(nullptr, "alice", 1234));
  ASSERT_EQ(1u, host.dialogCalls.size());
  EXPECT_STREQ("CardPIN", host.dialogCalls[0].templateName.c_str());
  EXPECT_EQ(nullptr, host.dialogCalls[0].owner);
  EXPECT_EQ(1234, host.dialogCalls[0].init);

  // A null or overlong user text must not break the call.
  const std::string longUser(1000, 'u');
  EXPECT_EQ(1500, plugin.deposit(nullptr, longUser.c_str(), 0));
  EXPECT_EQ(1500, plugin.deposit(nullptr, nullptr, 0));
  ASSERT_EQ(3u, host.dialogCalls.size());
  // Charge and deposit run different dialog procedures on the same template.
  host.cannedDialogResult = 1;
  plugin.charge(nullptr, 0, 1);
  EXPECT_NE(host.dialogCalls[0].proc, host.dialogCalls[3].proc);
}

DWORD WINAPI CloseFirstDialog(LPVOID uiThread) {
  HWND dialog = driver::WaitForDialog(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(uiThread)));
  if (dialog == nullptr) return 0;
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  return 1;
}

TEST_F(HostBindingTest, EmptyDialogSlotFallsBackToTheSystemFunction) {
  host.fillDialogBox = false;
  LoadedPlugin plugin(testenv::MakeScratchDir("emptyslot"));
  // The system's DialogBoxParamA runs the dialog: close it from a second thread.
  HANDLE closer = CreateThread(nullptr, 0, CloseFirstDialog,
                               reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(GetCurrentThreadId())), 0, nullptr);
  const int32_t result = plugin.charge(nullptr, 0, 150);
  WaitForSingleObject(closer, 15000);
  DWORD sawDialog = 0;
  GetExitCodeThread(closer, &sawDialog);
  CloseHandle(closer);
  EXPECT_TRUE(host.dialogCalls.empty());
  EXPECT_EQ(1u, sawDialog) << "no dialog appeared";
  EXPECT_EQ(2, result) << "a charge closed before confirming is not approved";
}

#ifndef _WIN64
// A station program built with another compiler calls with the stack aligned to 4 bytes
// only, and expects cdecl: ebx, esi, edi and ebp kept, the arguments left for it to pop.
// CallFromOddStack calls function with count arguments so that esp mod 16 is residue at
// its entry (gcc's own calls give 12), with known values in those registers, and
// records what the caller finds afterwards.
struct CallerView {
  uint32_t ebx, esi, edi, ebp;
  uint32_t espBeforeCall;  // the arguments pushed
  uint32_t espAfterCall;
  uint32_t savedEsp;  // CallFromOddStack's own
};
extern "C" int32_t CallFromOddStack(const void* function, const uint32_t* args, uint32_t count, uint32_t residue,
                                    CallerView* view);
asm(R"(
    .text
    .globl _CallFromOddStack
_CallFromOddStack:
    pushl %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 36(%esp), %edi
    movl %edi, oddStackView
    movl %esp, 24(%edi)
    movl 20(%esp), %eax
    movl 24(%esp), %esi
    movl 28(%esp), %ecx
    movl 32(%esp), %edx
    leal 4(%edx,%ecx,4), %edx
    negl %edx
    andl $15, %edx
    andl $-16, %esp
    subl %edx, %esp
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  movl %esp, 16(%edi)
    movl $0xB0B0B0B0, %ebx
    movl $0x51515151, %esi
    movl $0xD1D1D1D1, %edi
    movl $0xBEBEBEBE, %ebp
    call *%eax
    movl oddStackView, %ecx
    movl %ebx, 0(%ecx)
    movl %esi, 4(%ecx)
    movl %edi, 8(%ecx)
    movl %ebp, 12(%ecx)
    movl %esp, 20(%ecx)
    movl 24(%ecx), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .lcomm oddStackView, 4
)");

TEST_F(HostBindingTest, ExportsServeACallerWithA4ByteAlignedStack) {
  LoadedPlugin plugin(testenv::MakeScratchDir("odd_stack"));
  const char* user = "alice";
  struct Case {
    const char* name;
    const void* function;
    std::vector<uint32_t> args;
    bool dialog;  // closed with WM_CLOSE
    int32_t expected;
  };
  const Case cases[] = {
      {"SPMEjectCard(1, 2, 3)", reinterpret_cast<const void*>(plugin.eject), {1, 2, 3}, false, 0},
      {"SPMConfig(NULL)", reinterpret_cast<const void*>(plugin.config), {0}, true, 1},
      {"SPMAccounting(NULL, 7, 150)", reinterpret_cast<const void*>(plugin.charge), {0, 7, 150}, true, 2},
      {"SPMDeposit(NULL, \"alice\", 500)", reinterpret_cast<const void*>(plugin.deposit),
       {0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(user)), 500}, true, 0},
  };
  for (uint32_t residue : {0u, 4u, 8u}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " with esp mod 16 = " + std::to_string(residue) + " at its entry");
      HANDLE closer = c.dialog ? CreateThread(nullptr, 0, CloseFirstDialog,
                                              reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(GetCurrentThreadId())),
                                              0, nullptr)
                               : nullptr;
      CallerView view = {};
      const int32_t result =
          CallFromOddStack(c.function, c.args.data(), static_cast<uint32_t>(c.args.size()), residue, &view);
      if (closer != nullptr) {
        WaitForSingleObject(closer, 15000);
        CloseHandle(closer);
      }
      EXPECT_EQ(c.expected, result);
      EXPECT_EQ(residue, (view.espBeforeCall - 4) % 16) << "the call was not made as intended";
      EXPECT_EQ(view.espBeforeCall, view.espAfterCall) << "the export popped its arguments (stdcall), or more";
      EXPECT_EQ(0xB0B0B0B0u, view.ebx);
      EXPECT_EQ(0x51515151u, view.esi);
      EXPECT_EQ(0xD1D1D1D1u, view.edi);
      EXPECT_EQ(0xBEBEBEBEu, view.ebp);
    }
  }
}
#endif

}  // namespace
