// No card number stays in memory once a transaction is over. After a charge, a deposit
// and a configuration Test have each closed, the whole address space of this process
// (the station program) is searched for the card number used, as bytes and as UTF-16
// text. A copy inside the plug-in's image fails the test, and so does a copy as bytes
// on the stack of the thread that called the export: the dialog's state (its record
// and text buffer) lived there, and the search runs on another thread so that the
// export's frames stay as it left them. Copies elsewhere (WinINet's and the system's
// own buffers, the system's UTF-16 conversions, freed heap blocks the plug-in cannot
// reach) are reported, not failed.
//
// The card number is put together at run time, and this program erases its own
// copies before the search, so that the program itself holds none.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "card_dialog_session.h"
#include "settings/secure_erase.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

using namespace cardtest;

namespace {

constexpr size_t kCardSize = 17;        // 16 digits and the terminator
constexpr size_t kScanChunk = 1 << 16;
constexpr int kAccountNumberField = 110;  // of the configuration dialog
constexpr int kTestButton = 111;
constexpr const char* kStationStack = "the export's caller's stack";

// Needles and the read buffer live in a region of their own, which the search skips.
struct ScanArea {
  char card[kCardSize];
  char ascii[kCardSize];
  wchar_t wide[kCardSize];
  unsigned char chunk[kScanChunk + 2 * kCardSize];
};

class CardMemoryWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::ResetHost();
    ASSERT_NE("", testenv::GatewaysDir()) << "run under tests/win32/run_with_gateways.sh";
    area_ = static_cast<ScanArea*>(
        VirtualAlloc(nullptr, sizeof(ScanArea), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, area_);
  }
  void TearDown() override { VirtualFree(area_, 0, MEM_RELEASE); }

  // The account of dialog_accounts.txt whose middle digits are middle (1000001 for the
  // charge card, 2000002 for the deposit card), written into area_->card.
  void MakeCard(int middle) {
    std::snprintf(area_->card, kCardSize, "%d%07d%d", 603950, middle, 707);
  }

  // Types "<prefix><card><suffix>" into control id as a card reader does, then erases
  // the text it typed from.
  void TypeCard(HWND dialog, int id, const char* prefix, const char* suffix) {
    std::string typed = prefix;
    typed += area_->card;
    typed += suffix;
    driver::TypeText(dialog, id, typed);
    SecureErase(typed.data(), typed.size());
  }

  // Where each copy of the card number is, by module or kind of memory; the plug-in's
  // image is named "plug-in", the unused part of this thread's stack (which called the
  // export) kStationStack. Searched from a thread of its own, which leaves this one's stack alone.
  std::map<std::string, int> FindCard(const testenv::LoadedPlugin& plugin) {
    // From this frame down: where the export's frames were.
    const char here = 0;
    MEMORY_BASIC_INFORMATION stack{};
    VirtualQuery(&here, &stack, sizeof stack);
    stackLow_ = stack.AllocationBase;
    stackHigh_ = &here;
    std::map<std::string, int> found;
    std::thread([&] { found = Search(plugin); }).join();
    return found;
  }

  ScanArea* area_ = nullptr;

 private:
  std::map<std::string, int> Search(const testenv::LoadedPlugin& plugin) {
    std::memcpy(area_->ascii, area_->card, kCardSize);
    for (size_t i = 0; i < kCardSize; ++i) area_->wide[i] = static_cast<unsigned char>(area_->card[i]);
    SecureErase(area_->card, kCardSize);
    const size_t length = std::strlen(area_->ascii);
    std::map<std::string, int> found;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<unsigned char*>(nullptr) + 0x10000;
         VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<unsigned char*>(region.BaseAddress) + region.RegionSize) {
      if (region.BaseAddress == static_cast<void*>(area_)) continue;
      if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) continue;
      SearchRegion(region, length, plugin, found);
    }
    SecureErase(area_, sizeof(ScanArea));
    return found;
  }

  void SearchRegion(const MEMORY_BASIC_INFORMATION& region, size_t length,
                    const testenv::LoadedPlugin& plugin, std::map<std::string, int>& found) {
    const auto* base = static_cast<const unsigned char*>(region.BaseAddress);
    const size_t overlap = 2 * length;
    for (size_t offset = 0; offset < region.RegionSize; offset += kScanChunk) {
      SIZE_T read = 0;
      const size_t want = std::min<size_t>(region.RegionSize - offset, kScanChunk + overlap);
      if (!ReadProcessMemory(GetCurrentProcess(), base + offset, area_->chunk, want, &read)) continue;
      // Both forms begin with the first digit's byte: only where it stands can a copy begin.
      const unsigned char* const chunk = area_->chunk;
      const unsigned char* const end = chunk + std::min<size_t>(read, kScanChunk);
      for (const unsigned char* at = chunk; at < end; ++at) {
        at = static_cast<const unsigned char*>(std::memchr(at, area_->ascii[0], end - at));
        if (at == nullptr) break;
        const size_t i = at - chunk;
        const bool ascii = i + length <= read && std::memcmp(at, area_->ascii, length) == 0;
        const bool wide = i + 2 * length <= read && std::memcmp(at, area_->wide, 2 * length) == 0;
        if (ascii || wide) ++found[Owner(base + offset + i, plugin) + (wide ? " (UTF-16)" : "")];
      }
    }
  }

  std::string Owner(const void* address, const testenv::LoadedPlugin& plugin) const {
    if (address >= stackLow_ && address < stackHigh_) return kStationStack;
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module)) {
      if (module == plugin.module()) return "plug-in";
      char path[MAX_PATH] = {};
      GetModuleFileNameA(module, path, MAX_PATH);
      const char* name = std::strrchr(path, '\\');
      return name != nullptr ? name + 1 : path;
    }
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(address, &region, sizeof region);
    return region.Type == MEM_MAPPED ? "mapped memory" : "heap or stack";
  }

  const void* stackLow_ = nullptr;
  const void* stackHigh_ = nullptr;
};

// Calls the export 16 KB further down this thread's stack than the calls that follow it
// reach, so that the search finds the export's frames as they were left.
int32_t Deeper(const std::function<int32_t()>& open) {
  char padding[16 * 1024];
  SecureErase(padding, sizeof padding);
  const int32_t result = open();
  SecureErase(padding, 1);  // keeps the frame until open has returned
  return result;
}

void ExpectNoneLeftByThePlugin(const char* after, const std::map<std::string, int>& found) {
  std::string report;
  for (const auto& [where, count] : found) report += " " + where + ": " + std::to_string(count) + ";";
  std::printf("card number copies after %s:%s\n", after, report.empty() ? " none" : report.c_str());
  EXPECT_EQ(0u, found.count("plug-in") + found.count("plug-in (UTF-16)") + found.count(kStationStack))
      << after << ":" << report;
}

TEST_F(CardMemoryWin32Test, NoCardNumberInThePluginAfterAChargeADepositAndATest) {
  StationPlugin plugin("card-memory", kDialogGateway);

  MakeCard(1000001);
  const int32_t charged = RunDialog([&] { return Deeper([&] { return plugin.charge(nullptr, 0, 150); }); }, [&](HWND dialog) {
    TypeCard(dialog, kEntry, ";", "=4912101?");
    driver::Click(dialog, IDOK);
    ASSERT_TRUE(driver::WaitForItemText(dialog, kMessageLine, "A charge of"));
    EXPECT_EQ("", driver::ItemText(dialog, kEntry)) << "the hidden entry keeps nothing";
    driver::Click(dialog, IDOK);
  });
  EXPECT_EQ(1, charged);
  ExpectNoneLeftByThePlugin("a charge", FindCard(plugin));

  MakeCard(2000002);
  const int32_t deposited = RunDialog(
      [&] { return Deeper([&] { return plugin.deposit(nullptr, "alice", 500); }); },
      [&](HWND dialog) {
        TypeCard(dialog, kEntry, ";", "=4912101?");
        driver::Click(dialog, IDOK);
        ASSERT_TRUE(driver::WaitForItemText(dialog, kMessageLine, "Enter amount"));
        driver::TypeText(dialog, kEntry, "5");
        driver::Click(dialog, IDOK);
      });
  EXPECT_EQ(500, deposited);
  ExpectNoneLeftByThePlugin("a deposit", FindCard(plugin));

  MakeCard(1000001);
  const int32_t configured = RunDialog([&] { return Deeper([&] { return plugin.config(nullptr); }); }, [&](HWND dialog) {
    TypeCard(dialog, kAccountNumberField, "", "");
    driver::Click(dialog, kTestButton);
    HWND box = driver::WaitForMessageBox(GetWindowThreadProcessId(dialog, nullptr));
    ASSERT_NE(nullptr, box);
    // The gateway's certificate lines follow the verdict.
    EXPECT_EQ(0u, driver::MessageBoxText(box).rfind("Response Code: 00\nMessage: APPROVED\n", 0));
    driver::Click(box, IDOK);
    ASSERT_TRUE(driver::WaitUntilClosed(box));
    driver::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(0, configured);
  ExpectNoneLeftByThePlugin("a configuration Test", FindCard(plugin));
}

}  // namespace
