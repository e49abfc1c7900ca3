#include "card_dialog_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "gateway/request_message.h"
#include "tools/dialog_driver/dialog_driver_win32.h"

namespace cardtest {
namespace {

constexpr const char* kGatewayPath = "/ipsx/gateway";
constexpr const char* kSequenceStoreName = "CSBatchSeq.INI";
constexpr int kPollMs = 50;
// How long a dialog may take to close once its driver is done: the slowest stand-in
// answer the tests use is 3 s.
constexpr int kCloseWaitMs = 30000;
// Forcing a stuck dialog shut: Cancel, WM_CLOSE and OK on any message box, repeated.
constexpr int kForceAttempts = 120;
constexpr int kForceIntervalMs = 250;
// Escape as the keyboard sends it: repeat count 1, scan code 1.
constexpr LPARAM kEscapeKeyData = 0x00010001;

// Polls until done() holds; false after the driver's usual time-out.
bool PollUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(driver::kDefaultTimeoutMs)) return false;
    Sleep(kPollMs);
  }
  return true;
}

BOOL CALLBACK NotePaintPending(HWND window, LPARAM pending) {
  if (GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(pending) = true;
  return TRUE;
}

// True while the window or one of its controls still has a part to paint.
bool PaintPending(HWND window) {
  bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
  EnumChildWindows(window, NotePaintPending, reinterpret_cast<LPARAM>(&pending));
  return pending;
}

std::string BatchSection() { return "Batch" + SixDigits(kBatchNumber); }

// Appends "key=value" and a line end to an INI text.
void AddIniLine(std::string& text, const std::string& key, const std::string& value) {
  text += key;
  text += '=';
  text += value;
  text += "\r\n";
}

// A new folder whose sequence store holds kSeededSequence for the batch.
std::string SeededFolder(const std::string& name) {
  const std::string folder = testenv::MakeScratchDir(name);
  std::string store = "[";
  store += BatchSection();
  store += "]\r\n";
  AddIniLine(store, "SeqNumber", std::to_string(kSeededSequence));
  testenv::WriteTextFile(folder + kSequenceStoreName, store);
  return folder;
}

std::string SettingsText(const std::string& gatewayAddress, const std::string& textLines,
                         const std::string& settingsLines) {
  std::string text = "[Settings]\r\n";
  AddIniLine(text, "URL", "https://" + gatewayAddress + kGatewayPath);
  AddIniLine(text, "MerchantID", kMerchantId);
  AddIniLine(text, "TerminalID", kTerminalId);
  AddIniLine(text, "BatchNumber", std::to_string(kBatchNumber));
  AddIniLine(text, "MerchantCode", "5999");
  AddIniLine(text, "PrefixMatch", kCardPrefix);
  text += settingsLines;
  if (!textLines.empty()) text += "[Text]\r\n" + textLines;
  return text;
}

bool IsActiveWindowOfItsThread(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         info.hwndActive == window;
}

void ForceClose(HWND dialog, DWORD uiThread) {
  for (int attempt = 0; attempt < kForceAttempts && IsWindow(dialog); ++attempt) {
    HWND box = driver::WaitForMessageBox(uiThread, 0);
    if (box != nullptr) driver::Click(box, IDOK);
    driver::Click(dialog, IDCANCEL);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    Sleep(kForceIntervalMs);
  }
}

}  // namespace

StationPlugin::StationPlugin(const std::string& name, const std::string& gatewayAddress,
                             const std::string& textLines, const std::string& settingsLines)
    : LoadedPlugin(SeededFolder(name), SettingsText(gatewayAddress, textLines, settingsLines)) {}

std::string StationPlugin::Folder() const { return path().substr(0, path().find_last_of('\\') + 1); }

std::string StationPlugin::SequenceStore() const { return testenv::ReadTextFile(SequenceStorePath()); }

int32_t StationPlugin::StoredSequence() const {
  constexpr int kMissing = -1;
  return static_cast<int32_t>(GetPrivateProfileIntA(BatchSection().c_str(), "SeqNumber", kMissing,
                                                    SequenceStorePath().c_str()));
}

std::string StationPlugin::SequenceStorePath() const { return Folder() + kSequenceStoreName; }

int32_t RunDialog(const std::function<int32_t()>& open, const std::function<void(HWND)>& drive) {
  const DWORD uiThread = GetCurrentThreadId();
  std::thread driverThread([&] {
    HWND dialog = driver::WaitForDialog(uiThread);
    if (dialog == nullptr) {
      ADD_FAILURE() << "no dialog appeared";
      return;
    }
    drive(dialog);
    if (!driver::WaitUntilClosed(dialog, kCloseWaitMs)) {
      ADD_FAILURE() << "the dialog was still open after its driver had finished; message line: \""
                    << driver::ItemText(dialog, kMessageLine) << "\"";
      ForceClose(dialog, uiThread);
    }
  });
  const int32_t result = open();
  driverThread.join();
  return result;
}

::testing::AssertionResult WaitForExactText(HWND dialog, int id, const std::string& text) {
  if (PollUntil([&] { return driver::ItemText(dialog, id) == text; })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "control " << id << " shows \"" << driver::ItemText(dialog, id)
                                       << "\", not \"" << text << "\"";
}

::testing::AssertionResult WaitForCaption(HWND dialog, const std::string& text) {
  if (PollUntil([&] { return driver::WindowText(dialog) == text; })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "the caption is \"" << driver::WindowText(dialog)
                                       << "\", not \"" << text << "\"";
}

std::string SixDigits(int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", static_cast<int>(number));
  return text;
}

void PressCancel(HWND dialog) { driver::Click(dialog, IDCANCEL); }

void PressEscape(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  HWND target = info.hwndFocus != nullptr ? info.hwndFocus : dialog;
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, kEscapeKeyData);
}

void PressCloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

LONG ItemStyle(HWND dialog, int id) { return GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE); }

std::string MaskedCard(const std::string& card) {
  return card.substr(0, 6) + "******" + card.substr(card.size() - 4);
}

size_t JournalSize(const std::string& address) { return testenv::JournalLines(address).size(); }

std::string LastJournalLine(const std::string& address) {
  const std::vector<std::string> lines = testenv::JournalLines(address);
  return lines.empty() ? "" : lines.back();
}

int32_t CardBalance(const std::string& address, const std::string& maskedCard, int32_t opening) {
  const std::vector<std::string> lines = testenv::JournalLines(address);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    if (testenv::JournalValue(*line, "card") != maskedCard) continue;
    const std::string balance = testenv::JournalValue(*line, "balance");
    if (balance != "-" && !balance.empty()) return std::atoi(balance.c_str());
  }
  return opening;
}

std::string ZoneCodeHere() {
  DYNAMIC_TIME_ZONE_INFORMATION zone{};
  GetDynamicTimeZoneInformation(&zone);
  return std::to_string(TimeZoneCodeFor(zone.TimeZoneKeyName[0]));
}

void SaveShot(HWND window, const std::string& name) {
  const std::string folder = testenv::BuildDir() + "artefacts\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  DWORD_PTR ignored = 0;
  // Without a window manager Wine paints the caption of a window that becomes active as
  // inactive; the station's user sees an active dialog, so its frame is painted so.
  if (IsActiveWindowOfItsThread(window)) {
    SendMessageTimeoutA(window, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG,
                        driver::kDefaultTimeoutMs, &ignored);
  }
  EXPECT_TRUE(PollUntil([&] { return !PaintPending(window); })) << name << ": still painting";
  // The user-interface thread puts what it painted on the screen before it waits for
  // its next message: once it has answered one, the screen shows the dialog as painted.
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, driver::kDefaultTimeoutMs, &ignored);
  EXPECT_TRUE(driver::SaveWindowBitmap(window, folder + name + ".bmp")) << name;
}

}  // namespace cardtest
