// The configuration dialog of the real plug-in under Wine: SPMConfig opens the CONFIGURE
// template on this thread while a second thread drives it as an administrator would,
// and the settings file and the batch sequence file on disk are read back afterwards.
// The Test button's exchanges go over TLS to the gateway stand-ins that
// tests/win32/run_with_gateways.sh starts; their journals are read through Z:.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/certificate_lines.h"
#include "dialogs/troubleshooting.h"
#include "product_version.h"
#include "resources/resource_ids.h"
#include "tools/dialog_driver/dialog_driver_win32.h"
#include "win32_test_support.h"

using testenv::GatewaysDir;
using testenv::host;
using testenv::JournalLines;
using testenv::JournalValue;
using testenv::LoadedPlugin;

namespace {

// A transport failure as the Test's box shows it: the transport's text, then the plain
// line the troubleshooting table has for it.
std::string TestFailureBox(TransportStep step, int number) {
  const bool status = step == TransportStep::CheckStatus;
  const TransportResult result{step, status ? 0 : number, status ? number : 0};
  return testenv::FailureText(step, number) + PlainLineFor(result, "");
}

// Every Test's box ends with the data folder (here the plug-in's own) and the plug-in's
// version, each on a line of its own.
std::string WithVersion(const std::string& folder, const std::string& text) {
  return text + (text.empty() || text.back() == '\n' ? "" : "\n") + "Data folder: " + folder +
         "\nPlug-in version " PRODUCT_VERSION_TEXT;
}

constexpr int kUrl = IDC_CONFIG_URL;
constexpr int kMerchantId = IDC_CONFIG_MERCHANT_ID;
constexpr int kTerminalId = IDC_CONFIG_TERMINAL_ID;
constexpr int kBatchNumber = IDC_CONFIG_BATCH_NUMBER;
constexpr int kMerchantCode = IDC_CONFIG_MERCHANT_CODE;
constexpr int kPrefixMatch = IDC_CONFIG_PREFIX_MATCH;
constexpr int kAccountNumber = IDC_CONFIG_ACCOUNT_NUMBER;
constexpr int kTest = IDC_CONFIG_TEST;
constexpr int kSave = IDC_OK;
constexpr int kCancel = IDC_CANCEL;
constexpr int kHandlerWaitMs = 5000;
constexpr int kPollMs = 20;

// Nothing listens here: the gateway simulators use other loopback addresses.
constexpr const char* kNoListenerUrl = "https://127.0.0.50/ipsx/gateway";
// The simulator with the demo accounts, and one that answers every request with 500.
constexpr const char* kGatewayAddress = "127.0.0.2";
constexpr const char* kGatewayUrl = "https://127.0.0.2/ipsx/gateway";
constexpr const char* kStatus500Url = "https://127.0.0.4/ipsx/gateway";
// The same gateway by the name its certificate is made out to.
constexpr const char* kGatewayNamedUrl = "https://gateway.test/ipsx/gateway";
// Demo accounts (tools/demo/accounts.txt).
constexpr const char* kActiveCard = "6039501234567890";
constexpr const char* kBlockedCard = "6039503333333333";
constexpr const char* kUnknownCard = "6039509999999999";

const std::string kSettingsIni =
    "[Settings]\r\n"
    "URL=https://127.0.0.50/ipsx/gateway\r\n"
    "MerchantID=887700123\r\n"
    "TerminalID=T0001\r\n"
    "BatchNumber=42\r\n"
    "MerchantCode=742\r\n"
    "PrefixMatch=603950\r\n"
    "[Text]\r\n"
    "TitlePrompt=Campus card\r\n";

// A scratch folder with nothing in it. Wine hands out small process ids again, so a
// folder of an earlier run may come back with its settings and sequence files.
std::string EmptyFolder(const std::string& name) {
  const std::string folder = testenv::MakeScratchDir(name);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return folder;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileA((folder + found.cFileName).c_str());
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return folder;
}

std::string IniPathOf(const LoadedPlugin& plugin) {
  return plugin.path().substr(0, plugin.path().find_last_of('.')) + ".INI";
}

std::string FolderOf(const LoadedPlugin& plugin) {
  return plugin.path().substr(0, plugin.path().find_last_of('\\') + 1);
}

// Replaces a field's whole text, as a paste would (an ES_NUMBER field takes any text
// this way, unlike typing).
void Put(HWND dialog, int id, const std::string& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, kHandlerWaitMs, &ignored);
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Waits until the focus is on control id of the dialog.
bool WaitForFocus(DWORD thread, HWND dialog, int id) {
  for (int waited = 0; waited <= kHandlerWaitMs; waited += kPollMs) {
    if (FocusOf(thread) == GetDlgItem(dialog, id)) return true;
    Sleep(kPollMs);
  }
  return false;
}

// One opening of SPMConfig on this thread, driven from a second one. The driver gets the
// dialog and this thread's id; if it leaves the dialog open, it is closed for it (and
// the test fails), so a broken dialog cannot hang the run.
int32_t RunConfig(const LoadedPlugin& plugin, HWND owner,
                  const std::function<void(HWND dialog, DWORD ui)>& drive) {
  const DWORD ui = GetCurrentThreadId();
  std::thread driverThread([&] {
    HWND dialog = driver::WaitForDialog(ui);
    if (dialog == nullptr) {
      ADD_FAILURE() << "the configuration dialog did not appear";
      return;
    }
    drive(dialog, ui);
    if (!driver::WaitUntilClosed(dialog, kHandlerWaitMs)) {
      ADD_FAILURE() << "the driver left the dialog open";
      PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
  });
  const int32_t result = plugin.config(owner);
  driverThread.join();
  return result;
}

struct Fields {
  std::string url, merchantId, terminalId, batch, merchantCode, prefix;
};

Fields ReadFields(HWND dialog) {
  return {driver::ItemText(dialog, kUrl),          driver::ItemText(dialog, kMerchantId),
          driver::ItemText(dialog, kTerminalId),   driver::ItemText(dialog, kBatchNumber),
          driver::ItemText(dialog, kMerchantCode), driver::ItemText(dialog, kPrefixMatch)};
}

void PutFields(HWND dialog, const Fields& f) {
  Put(dialog, kUrl, f.url);
  Put(dialog, kMerchantId, f.merchantId);
  Put(dialog, kTerminalId, f.terminalId);
  Put(dialog, kBatchNumber, f.batch);
  Put(dialog, kMerchantCode, f.merchantCode);
  Put(dialog, kPrefixMatch, f.prefix);
}

void ExpectFields(const Fields& expected, const Fields& actual) {
  EXPECT_EQ(expected.url, actual.url);
  EXPECT_EQ(expected.merchantId, actual.merchantId);
  EXPECT_EQ(expected.terminalId, actual.terminalId);
  EXPECT_EQ(expected.batch, actual.batch);
  EXPECT_EQ(expected.merchantCode, actual.merchantCode);
  EXPECT_EQ(expected.prefix, actual.prefix);
}

// The [Settings] values of an INI file, read from its text without the profile API.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key) {
  bool inSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      inSection = line == "[" + section + "]";
    } else if (inSection && line.compare(0, key.size() + 1, key + "=") == 0) {
      return line.substr(key.size() + 1);
    }
  }
  return "(missing)";
}

// The icon control of a message box: Wine's id, and the one Windows uses.
constexpr int kWineMessageBoxIconId = 1088;
constexpr int kWindowsMessageBoxIconId = 20;

// Which system icon a message box shows: "error", "information", "other" or "none".
// System icons are shared, so the box's handle equals the one LoadIcon gives here.
std::string IconOf(HWND box) {
  for (int id : {kWineMessageBoxIconId, kWindowsMessageBoxIconId}) {
    HWND icon = GetDlgItem(box, id);
    if (icon == nullptr) continue;
    DWORD_PTR shown = 0;
    SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kHandlerWaitMs, &shown);
    if (shown == reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, IDI_HAND))) return "error";
    if (shown == reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, IDI_ASTERISK))) return "information";
    return "other";
  }
  return "none";
}

// A message box shown over the dialog: its caption, text and icon; pressed OK to close it.
struct SeenBox {
  std::string caption;
  std::string text;
  std::string icon;
};

SeenBox TakeMessageBox(DWORD ui, const std::string& screenshot = "") {
  HWND box = driver::WaitForMessageBox(ui, 60000);
  if (box == nullptr) return {"(no box)", "", ""};
  SeenBox seen{driver::WindowText(box), driver::MessageBoxText(box), IconOf(box)};
  if (!screenshot.empty()) driver::SaveWindowBitmap(box, screenshot);
  driver::Click(box, IDOK);
  driver::WaitUntilClosed(box);
  return seen;
}

std::string ArtefactPath(const std::string& name) {
  const std::string dir = testenv::BuildDir() + "artefacts\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + name;
}

constexpr const char* kOldGatewayIni =
    "[Settings]\r\n"
    "URL=https://127.0.0.2/ipsx/gateway\r\n"
    "MerchantID=887700123\r\n"
    "TerminalID=T0001\r\n"
    "BatchNumber=42\r\n"
    "MerchantCode=742\r\n"
    "PrefixMatch=603950\r\n";

// A charge of cents on this thread, the card typed and the amount confirmed from a
// driver thread; returns SPMAccounting's end code.
int32_t Charge(const LoadedPlugin& plugin, int32_t cents, const std::string& card) {
  const DWORD ui = GetCurrentThreadId();
  std::thread driverThread([&] {
    HWND dialog = driver::WaitForDialog(ui);
    if (dialog == nullptr) {
      ADD_FAILURE() << "the charge dialog did not appear";
      return;
    }
    driver::TypeText(dialog, IDC_CARD_ENTRY, card);
    driver::Click(dialog, IDOK);
    EXPECT_TRUE(driver::WaitForItemText(dialog, IDC_CARD_MESSAGE, "Press OK to continue"));
    driver::Click(dialog, IDOK);
    if (!driver::WaitUntilClosed(dialog, 30000)) {
      ADD_FAILURE() << "the charge did not end";
      PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
  });
  const int32_t result = plugin.charge(nullptr, 0, cents);
  driverThread.join();
  return result;
}

// Gives everyone the rights of sddl on a file or folder (Wine maps them to its mode).
void SetAccess(const std::string& path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  EXPECT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor))
      << path << ": error " << GetLastError();
  LocalFree(descriptor);
}
constexpr const char* kReadAndRunOnly = "D:P(A;OICI;GRGX;;;WD)";
constexpr const char* kFullAccess = "D:P(A;OICI;GA;;;WD)";

// The date a certificate of the test CA (scripts/make_test_ca.sh, in TLS_DIR) expires on,
// by the station's clock, and how many calendar days from today that is.
struct Expiry {
  std::string date;
  int daysLeft;
};

long long LocalDayNumber(const FILETIME& utc) {
  FILETIME local;
  FileTimeToLocalFileTime(&utc, &local);
  SYSTEMTIME time;
  FileTimeToSystemTime(&local, &time);
  time.wHour = time.wMinute = time.wSecond = time.wMilliseconds = 0;
  FILETIME midnight;
  SystemTimeToFileTime(&time, &midnight);
  constexpr long long kTicksPerDay = 864000000000LL;
  return (static_cast<long long>(midnight.dwHighDateTime) << 32 | midnight.dwLowDateTime) / kTicksPerDay;
}

Expiry ExpiryOf(const std::string& certificateName) {
  const char* tls = std::getenv("TLS_DIR");
  if (tls == nullptr) {
    ADD_FAILURE() << "TLS_DIR is not set: run inside scripts/wine_session.sh";
    return {};
  }
  std::string path = std::string("Z:") + tls + "/" + certificateName + ".pem";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const std::string pem = testenv::ReadTextFile(path);
  BYTE der[8192];
  DWORD size = sizeof der;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr)) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
  if (certificate == nullptr) {
    ADD_FAILURE() << "no certificate in " << path;
    return {};
  }
  const FILETIME notAfter = certificate->pCertInfo->NotAfter;
  CertFreeCertificateContext(certificate);
  FILETIME local;
  FileTimeToLocalFileTime(&notAfter, &local);
  SYSTEMTIME time;
  FileTimeToSystemTime(&local, &time);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return {date, static_cast<int>(LocalDayNumber(notAfter) - LocalDayNumber(now))};
}

// The lines the Test adds about a certificate of the test CA.
// The line a lenient Test adds for a certificate made out to another name than host.
std::string OtherHostLine(const std::string& host) {
  char line[512];
  std::snprintf(line, sizeof line, kCertificateOtherHostFormat, host.c_str(), host.c_str());
  return line;
}

std::string CertificateLines(const std::string& issuedTo, const Expiry& expiry, const std::string& warning) {
  return "Certificate issued to: " + issuedTo + "\nCertificate issued by: Station Test CA\n" +
         "Certificate valid until: " + expiry.date + warning;
}

class ConfigureDialogWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { testenv::ResetHost(); }
};

class ConfigureGatewayWin32Test : public ConfigureDialogWin32Test {
 protected:
  void SetUp() override {
    ConfigureDialogWin32Test::SetUp();
    ASSERT_NE("", GatewaysDir()) << "GATEWAYS_DIR is not set: run under tests/win32/run_with_gateways.sh";
  }
};

TEST_F(ConfigureDialogWin32Test, OpensWithTheLoadedSettingsThroughTheSystemDialogFunction) {
  LoadedPlugin plugin(EmptyFolder("config_open"), kSettingsIni);
  Fields shown;
  std::string caption;
  bool urlFocused = false;
  const int32_t result = RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
    shown = ReadFields(dialog);
    caption = driver::WindowText(dialog);
    urlFocused = FocusOf(ui) == GetDlgItem(dialog, kUrl);
    EXPECT_EQ("", driver::ItemText(dialog, kAccountNumber));
    driver::SaveWindowBitmap(dialog, ArtefactPath("configure_dialog.bmp"));
    driver::Click(dialog, kCancel);
  });
  EXPECT_EQ(0, result);
  ExpectFields({"https://127.0.0.50/ipsx/gateway", "887700123", "T0001", "42", "742", "603950"},
               shown);
  EXPECT_EQ(CONFIGURE_CAPTION, caption);
  EXPECT_TRUE(urlFocused) << "the first tab stop has the focus";
  EXPECT_TRUE(host.dialogCalls.empty()) << "the station's dialog function was used";
  EXPECT_EQ(kSettingsIni, testenv::ReadTextFile(IniPathOf(plugin)));
}

TEST_F(ConfigureDialogWin32Test, OpensWithTheDefaultsWithoutASettingsFile) {
  LoadedPlugin plugin(EmptyFolder("config_defaults"));
  Fields shown;
  EXPECT_EQ(0, RunConfig(plugin, nullptr, [&](HWND dialog, DWORD) {
              shown = ReadFields(dialog);
              driver::Click(dialog, kCancel);
            }));
  EXPECT_EQ("", shown.merchantId);
  EXPECT_EQ("", shown.terminalId);
  EXPECT_EQ("1", shown.batch);
  EXPECT_EQ("5999", shown.merchantCode);
  EXPECT_EQ("603950", shown.prefix);
  EXPECT_EQ(0u, shown.url.find("https://"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(IniPathOf(plugin).c_str()));
}

TEST_F(ConfigureDialogWin32Test, IsCentredOverTheOwnerOrTheScreen) {
  LoadedPlugin plugin(EmptyFolder("config_centre"));
  HWND owner = CreateWindowExA(0, "STATIC", "station", WS_POPUP | WS_VISIBLE, 100, 100, 800, 600,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  RECT overOwner = {};
  RECT overScreen = {};
  auto measure = [](RECT& into) {
    return [&into](HWND dialog, DWORD) {
      GetWindowRect(dialog, &into);
      driver::Click(dialog, kCancel);
    };
  };
  RunConfig(plugin, owner, measure(overOwner));
  RunConfig(plugin, nullptr, measure(overScreen));
  DestroyWindow(owner);

  const int width = overOwner.right - overOwner.left;
  const int height = overOwner.bottom - overOwner.top;
  EXPECT_EQ(100 + (800 - width) / 2, overOwner.left);
  EXPECT_EQ(100 + (600 - height) / 2, overOwner.top);
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, overScreen.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, overScreen.top);
}

// The real dialog, whose size follows the font and the DPI, over an owner that reaches
// past each edge of the screen, lies wholly within the work area. The entry
// placement_dpi_144 runs it again at 144 DPI and says so in STATION_TEST_DPI.
TEST_F(ConfigureDialogWin32Test, StaysOnTheScreenWithItsOwnerAtEachEdge) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const char* wantedDpi = std::getenv("STATION_TEST_DPI");
  if (wantedDpi != nullptr) {
    ASSERT_EQ(std::atoi(wantedDpi), dpi) << "the prefix's LogPixels was not taken";
  }
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  struct Row { const char* name; RECT owner; };
  const Row rows[] = {
      {"left", {-300, 100, 100, 500}},
      {"right", {width - 100, 100, width + 300, 500}},
      {"top", {100, -300, 500, 100}},
      {"bottom", {100, height - 100, 500, height + 300}},
  };
  LoadedPlugin plugin(EmptyFolder("config_edges"));
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("owner at the ") + row.name + " edge, " + std::to_string(dpi) + " DPI");
    const RECT& r = row.owner;
    HWND owner = CreateWindowExA(0, "STATIC", "station", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    RECT placed = {};
    RunConfig(plugin, owner, [&placed](HWND dialog, DWORD) {
      GetWindowRect(dialog, &placed);
      driver::Click(dialog, kCancel);
    });
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    const BOOL found = GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    DestroyWindow(owner);
    ASSERT_TRUE(found);
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(placed.left >= work.left && placed.top >= work.top && placed.right <= work.right &&
                placed.bottom <= work.bottom)
        << "dialog (" << placed.left << ", " << placed.top << ")-(" << placed.right << ", "
        << placed.bottom << "), work area (" << work.left << ", " << work.top << ")-("
        << work.right << ", " << work.bottom << ")";
  }
}

// Each check fails in turn within one opening; after each, the dialog is still open,
// the focus is on the field and nothing is written; a number field says in the system's
// box what it takes, the others show none. A second opening of the same load then shows
// the values in effect: those it opened with, since nothing was saved.
TEST_F(ConfigureDialogWin32Test, EachCheckFailsInTurnWithTheFocusOnItsField) {
  LoadedPlugin plugin(EmptyFolder("config_checks"), kSettingsIni);
  const Fields good = {kNoListenerUrl, "M-01", "T-02", "17", "5411", "6039"};
  const char* batchTakes = "Batch number takes a number from 1 to 999999.";
  struct Row {
    const char* name;
    int button;
    int field;
    const char* bad;
    const char* box;  // none: a beep
  };
  const Row rows[] = {
      {"Save: empty URL", kSave, kUrl, "", nullptr},
      {"Save: plain http", kSave, kUrl, "http://127.0.0.50/ipsx/gateway", nullptr},
      {"Save: scheme in capitals", kSave, kUrl, "HTTPS://127.0.0.50/ipsx/gateway", nullptr},
      {"Save: no host", kSave, kUrl, "https://", nullptr},
      {"Test: no '/' after the host", kTest, kUrl, "https://127.0.0.50", nullptr},
      {"Save: empty terminal id", kSave, kTerminalId, "", nullptr},
      {"Save: batch 0", kSave, kBatchNumber, "0", batchTakes},
      {"Save: empty batch", kSave, kBatchNumber, "", batchTakes},
      {"Save: batch not a number", kSave, kBatchNumber, "abc", batchTakes},
      {"Save: empty merchant category code", kSave, kMerchantCode, "",
       "Merchant category code takes a number from 0 to 9999."},
      {"Test: empty URL", kTest, kUrl, "", nullptr},
      {"Test: empty terminal id", kTest, kTerminalId, "", nullptr},
      {"Test: batch 0", kTest, kBatchNumber, "0", batchTakes},
      {"Test: empty merchant id", kTest, kMerchantId, "", nullptr},
      {"Test: empty account number", kTest, kAccountNumber, "", nullptr},
  };
  Fields opened;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
    opened = ReadFields(dialog);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      PutFields(dialog, good);
      Put(dialog, kAccountNumber, "6039501234567890");
      Put(dialog, row.field, row.bad);
      // The focus elsewhere first, so that finding it on the field is the handler's doing.
      PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kPrefixMatch)),
                   TRUE);
      driver::Click(dialog, row.button);
      if (row.box != nullptr) {
        const SeenBox seen = TakeMessageBox(ui);
        EXPECT_EQ("Error", seen.caption);
        EXPECT_EQ(row.box, seen.text);
      }
      EXPECT_TRUE(WaitForFocus(ui, dialog, row.field));
      EXPECT_TRUE(IsWindowVisible(dialog));
      EXPECT_EQ(nullptr, driver::WaitForMessageBox(ui, 300));
    }
    Put(dialog, kTerminalId, "");
    driver::Click(dialog, kSave);
    EXPECT_TRUE(WaitForFocus(ui, dialog, kTerminalId));
    driver::Click(dialog, kCancel);
  });
  EXPECT_EQ(kSettingsIni, testenv::ReadTextFile(IniPathOf(plugin)));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
            GetFileAttributesA((FolderOf(plugin) + "CSBatchSeq.INI").c_str()))
      << "a refused test uses no sequence number";

  Fields inEffect;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD) {
    inEffect = ReadFields(dialog);
    driver::Click(dialog, kCancel);
  });
  // Cancel dropped whatever the refused Tests had taken into the dialog's copy.
  ExpectFields(opened, inEffect);
}

TEST_F(ConfigureDialogWin32Test, SaveWritesTheFileAndAFreshLoadGivesItBack) {
  const std::string folder = EmptyFolder("config_save");
  const Fields typed = {"https://127.0.0.50/" + std::string(300, 'p'), std::string(40, 'M'),
                        "T 02", "999999", "0", ""};
  {
    LoadedPlugin plugin(folder, kSettingsIni);
    EXPECT_EQ(1, RunConfig(plugin, nullptr, [&](HWND dialog, DWORD) {
                PutFields(dialog, typed);
                driver::Click(dialog, kSave);
              }));
    const std::string ini = testenv::ReadTextFile(IniPathOf(plugin));
    EXPECT_EQ(typed.url.substr(0, 254), IniValue(ini, "Settings", "URL"));
    EXPECT_EQ(std::string(28, 'M'), IniValue(ini, "Settings", "MerchantID"));
    EXPECT_EQ("T 02", IniValue(ini, "Settings", "TerminalID"));
    EXPECT_EQ("999999", IniValue(ini, "Settings", "BatchNumber"));
    EXPECT_EQ("0", IniValue(ini, "Settings", "MerchantCode"));
    EXPECT_EQ("", IniValue(ini, "Settings", "PrefixMatch"));
    EXPECT_EQ("Campus card", IniValue(ini, "Text", "TitlePrompt"));
  }
  LoadedPlugin reloaded(folder);
  Fields shown;
  EXPECT_EQ(0, RunConfig(reloaded, nullptr, [&](HWND dialog, DWORD) {
              shown = ReadFields(dialog);
              driver::Click(dialog, kCancel);
            }));
  ExpectFields({typed.url.substr(0, 254), std::string(28, 'M'), "T 02", "999999", "0", ""}, shown);
}

TEST_F(ConfigureDialogWin32Test, EnterSavesAndEscapeCancels) {
  LoadedPlugin plugin(EmptyFolder("config_keys"), kSettingsIni);
  auto press = [](WPARAM key) {
    return [key](HWND dialog, DWORD ui) {
      Put(dialog, kTerminalId, "T-KEYS");
      HWND focus = FocusOf(ui);
      PostMessageA(focus, WM_KEYDOWN, key, 1);
      PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
      driver::WaitUntilClosed(dialog, kHandlerWaitMs);
    };
  };
  EXPECT_EQ(0, RunConfig(plugin, nullptr, press(VK_ESCAPE)));
  EXPECT_EQ("T0001", IniValue(testenv::ReadTextFile(IniPathOf(plugin)), "Settings", "TerminalID"));
  EXPECT_EQ(1, RunConfig(plugin, nullptr, press(VK_RETURN)));
  EXPECT_EQ("T-KEYS", IniValue(testenv::ReadTextFile(IniPathOf(plugin)), "Settings", "TerminalID"));
}

TEST_F(ConfigureDialogWin32Test, TheCloseBoxEndsWithOneAndWritesNothing) {
  LoadedPlugin plugin(EmptyFolder("config_close"), kSettingsIni);
  EXPECT_EQ(1, RunConfig(plugin, nullptr, [](HWND dialog, DWORD) {
              Put(dialog, kTerminalId, "T-CLOSE");
              PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }));
  EXPECT_EQ(kSettingsIni, testenv::ReadTextFile(IniPathOf(plugin)));
}

// Test outcomes that need no gateway: the transport's own errors.
TEST_F(ConfigureDialogWin32Test, TestShowsTransportErrorsAndUsesUpSequenceNumbers) {
  LoadedPlugin plugin(EmptyFolder("config_test_errors"), kSettingsIni);
  std::vector<SeenBox> boxes;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
    Put(dialog, kAccountNumber, "6039501234567890");
    driver::Click(dialog, kTest);
    boxes.push_back(TakeMessageBox(ui));
    driver::Click(dialog, kTest);
    boxes.push_back(TakeMessageBox(ui));
    EXPECT_EQ("6039501234567890", driver::ItemText(dialog, kAccountNumber)) << "fields keep their text";
    driver::Click(dialog, kCancel);
  });
  ASSERT_EQ(2u, boxes.size());
  for (const SeenBox& box : boxes) {
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ(WithVersion(FolderOf(plugin), "Error: HTTP Send [12029]\nNothing answers at this address and port."), box.text);
    EXPECT_EQ("error", box.icon);
  }
  EXPECT_TRUE(host.messageBoxes.empty()) << "the station's message box was used";
  const std::string seq = testenv::ReadTextFile(FolderOf(plugin) + "CSBatchSeq.INI");
  EXPECT_EQ("2", IniValue(seq, "Batch000042", "SeqNumber"));
  EXPECT_EQ(kSettingsIni, testenv::ReadTextFile(IniPathOf(plugin)));
}

// The gateway's verdicts, each in the system's message box over the dialog, and the
// sequence numbers they use up, as the simulator journals them.
TEST_F(ConfigureGatewayWin32Test, TestShowsTheGatewaysVerdict) {
  LoadedPlugin plugin(EmptyFolder("config_test_gateway"), kSettingsIni);
  struct Row {
    const char* name;
    const char* url;
    const char* card;
    std::string caption;
    std::string text;
    std::string icon;
  };
  // Every stand-in here shows the test CA's server certificate.
  const std::string certificate = CertificateLines("gateway.test", ExpiryOf("server"), "");
  const Row rows[] = {
      {"approved", kGatewayNamedUrl, kActiveCard, "Success!",
       "Response Code: 00\nMessage: APPROVED\n" + certificate, "information"},
      {"declined", kGatewayNamedUrl, kBlockedCard, "Error", "Response Code: 05\nMessage: DECLINED\n" + certificate,
       "error"},
      {"unknown card", kGatewayUrl, kUnknownCard, "Error",
       "Response Code: 14\nMessage: INVALID CARD\n" + certificate + OtherHostLine("127.0.0.2"), "error"},
      {"server error", kStatus500Url, kActiveCard, "Error",
       TestFailureBox(TransportStep::CheckStatus, 500) + "\n" + certificate + OtherHostLine("127.0.0.4"), "error"},
  };
  const size_t journaledBefore = JournalLines(kGatewayAddress).size();
  std::vector<SeenBox> boxes;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
    Put(dialog, kMerchantId, "M-7");
    Put(dialog, kTerminalId, "T-8");
    Put(dialog, kBatchNumber, "9");
    for (const Row& row : rows) {
      Put(dialog, kUrl, row.url);
      Put(dialog, kAccountNumber, row.card);
      driver::Click(dialog, kTest);
      const bool first = boxes.empty();
      boxes.push_back(TakeMessageBox(ui, first ? ArtefactPath("configure_test_result.bmp") : ""));
      EXPECT_TRUE(IsWindowVisible(dialog)) << row.name << ": the dialog stays open";
    }
    driver::Click(dialog, kCancel);
  });
  ASSERT_EQ(std::size(rows), boxes.size());
  for (size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(rows[i].caption, boxes[i].caption);
    EXPECT_EQ(WithVersion(FolderOf(plugin), rows[i].text), boxes[i].text);
    EXPECT_EQ(rows[i].icon, boxes[i].icon);
  }
  EXPECT_TRUE(host.messageBoxes.empty()) << "the station's message box was used";

  // Every test used up a number of batch 9, the failed exchange included.
  const std::string seq = testenv::ReadTextFile(FolderOf(plugin) + "CSBatchSeq.INI");
  EXPECT_EQ("4", IniValue(seq, "Batch000009", "SeqNumber"));
  const std::vector<std::string> journal = JournalLines(kGatewayAddress);
  ASSERT_EQ(journaledBefore + 3, journal.size());
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(rows[i].name);
    const std::string& line = journal[journaledBefore + i];
    EXPECT_EQ("100", JournalValue(line, "tc"));
    EXPECT_EQ("100", JournalValue(line, "amount"));
    EXPECT_EQ("M-7", JournalValue(line, "merchant"));
    EXPECT_EQ("T-8", JournalValue(line, "terminal"));
    EXPECT_EQ("000009", JournalValue(line, "batch"));
    EXPECT_EQ("00000" + std::to_string(i + 1), JournalValue(line, "seq"));
    EXPECT_EQ("-", JournalValue(line, "reason"));
  }
  EXPECT_EQ(kSettingsIni, testenv::ReadTextFile(IniPathOf(plugin))) << "a test writes no settings";
}

// A Test uses the typed values for its one request and changes no setting in effect:
// after Cancel the next charge goes out with the settings the dialog opened with. A Save
// after a Test writes them.
TEST_F(ConfigureGatewayWin32Test, ATestThenCancelLeavesChargesOnTheSettingsItOpenedWith) {
  const std::string folder = EmptyFolder("config_cancel_after_test");
  {
    LoadedPlugin plugin(folder, kOldGatewayIni);
    SeenBox verdict;
    EXPECT_EQ(0, RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
                Put(dialog, kMerchantId, "NEWMERCH");
                Put(dialog, kTerminalId, "XT0001");
                Put(dialog, kBatchNumber, "9");
                Put(dialog, kAccountNumber, kActiveCard);
                driver::Click(dialog, kTest);
                verdict = TakeMessageBox(ui);
                driver::Click(dialog, kCancel);
              }));
    EXPECT_EQ("Success!", verdict.caption);
    const size_t journaled = JournalLines(kGatewayAddress).size();
    EXPECT_EQ(1, Charge(plugin, 150, kActiveCard));
    const std::vector<std::string> journal = JournalLines(kGatewayAddress);
    ASSERT_EQ(journaled + 1, journal.size());
    EXPECT_EQ("887700123", JournalValue(journal.back(), "merchant"));
    EXPECT_EQ("T0001", JournalValue(journal.back(), "terminal"));
    EXPECT_EQ("000042", JournalValue(journal.back(), "batch"));
    EXPECT_EQ(kOldGatewayIni, testenv::ReadTextFile(IniPathOf(plugin)));
  }
  {
    LoadedPlugin reloaded(folder);
    EXPECT_EQ(1, RunConfig(reloaded, nullptr, [&](HWND dialog, DWORD ui) {
                Put(dialog, kMerchantId, "TESTED");
                Put(dialog, kAccountNumber, kActiveCard);
                driver::Click(dialog, kTest);
                TakeMessageBox(ui);
                driver::Click(dialog, kSave);
              }));
    EXPECT_EQ("TESTED", IniValue(testenv::ReadTextFile(IniPathOf(reloaded)), "Settings", "MerchantID"));
  }
}

}  // namespace

// A refused value never takes effect: after the refusals and Cancel the station still
// charges against the URL and batch it had.
TEST_F(ConfigureGatewayWin32Test, ARefusedUrlFollowedByCancelLeavesChargesOnTheOldUrl) {
  LoadedPlugin plugin(EmptyFolder("config_refused_url"), kOldGatewayIni);
  auto refused = [](HWND dialog, DWORD ui, int field, const char* text) {
    SCOPED_TRACE(text);
    Put(dialog, field, text);
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kPrefixMatch)), TRUE);
    driver::Click(dialog, kSave);
    if (field == kBatchNumber) {
      EXPECT_EQ("Error", TakeMessageBox(ui).caption);  // it says what it takes
    }
    EXPECT_TRUE(WaitForFocus(ui, dialog, field));
    EXPECT_EQ(nullptr, driver::WaitForMessageBox(ui, 300));
  };
  EXPECT_EQ(0, RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
              refused(dialog, ui, kBatchNumber, "0");
              // Nothing listens on 127.0.0.50: a charge sent there would fail.
              for (const char* url : {"http://127.0.0.50/ipsx/gateway", "https://127.0.0.50", "https://"}) {
                refused(dialog, ui, kUrl, url);
              }
              driver::Click(dialog, kCancel);
            }));
  Fields inEffect;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD) {
    inEffect = ReadFields(dialog);
    driver::Click(dialog, kCancel);
  });
  EXPECT_EQ(kGatewayUrl, inEffect.url);
  EXPECT_EQ("42", inEffect.batch);

  const size_t journaled = JournalLines(kGatewayAddress).size();
  EXPECT_EQ(1, Charge(plugin, 150, kActiveCard));
  const std::vector<std::string> journal = JournalLines(kGatewayAddress);
  ASSERT_EQ(journaled + 1, journal.size()) << "the charge went to the URL in effect before";
  EXPECT_EQ("200", JournalValue(journal.back(), "tc"));
  EXPECT_EQ("000042", JournalValue(journal.back(), "batch"));
  EXPECT_EQ(kOldGatewayIni, testenv::ReadTextFile(IniPathOf(plugin)));
}

// A Save that cannot write keeps the dialog open with everything typed and says where
// and why in the system's box; once the file or folder is put right, Save writes it all.
TEST_F(ConfigureDialogWin32Test, AFailedSaveIsReportedAndNothingIsLost) {
  struct Row {
    const char* name;
    std::string settings;  // the file before, none if empty
    std::function<void(const std::string& folder, const std::string& ini)> block;
    std::function<void(const std::string& folder, const std::string& ini)> mend;
  };
  const Row rows[] = {
      {"read-only settings file", kSettingsIni,
       [](const std::string&, const std::string& ini) {
         SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
       },
       [](const std::string&, const std::string& ini) {
         SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
       }},
      {"folder that cannot be written", "",
       [](const std::string& folder, const std::string&) { SetAccess(folder, kReadAndRunOnly); },
       [](const std::string& folder, const std::string&) { SetAccess(folder, kFullAccess); }},
  };
  const Fields typed = {"https://127.0.0.2/ipsx/gateway", "M-SAVE", "T-SAVE", "77", "5411", "6039"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string folder = EmptyFolder("config_save_fails");
    LoadedPlugin plugin(folder, row.settings);
    const std::string ini = IniPathOf(plugin);
    row.block(folder, ini);
    SeenBox refusal;
    Fields kept;
    const int32_t result = RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
      PutFields(dialog, typed);
      driver::Click(dialog, kSave);
      refusal = TakeMessageBox(ui, ArtefactPath("configure_save_failed.bmp"));
      EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
      kept = ReadFields(dialog);
      row.mend(folder, ini);
      driver::Click(dialog, kSave);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("Error", refusal.caption);
    EXPECT_EQ("The settings could not be saved to " + ini + " (error 5).", refusal.text);
    EXPECT_EQ("error", refusal.icon);
    ExpectFields(typed, kept);
    const std::string written = testenv::ReadTextFile(ini);
    EXPECT_EQ(typed.url, IniValue(written, "Settings", "URL"));
    EXPECT_EQ("M-SAVE", IniValue(written, "Settings", "MerchantID"));
    EXPECT_EQ("77", IniValue(written, "Settings", "BatchNumber"));
    EXPECT_EQ("6039", IniValue(written, "Settings", "PrefixMatch"));
    EXPECT_TRUE(host.messageBoxes.empty()) << "the station's message box was used";
  }
}

// The Test's box names the certificate the gateway showed and warns of one that has
// run out or is about to.
TEST_F(ConfigureGatewayWin32Test, TestShowsTheGatewaysCertificate) {
  LoadedPlugin plugin(EmptyFolder("config_certificates"), kSettingsIni);
  const Expiry soon = ExpiryOf("soon");
  const Expiry expired = ExpiryOf("expired");
  const Expiry other = ExpiryOf("other");
  ASSERT_LE(9, soon.daysLeft);
  ASSERT_GE(10, soon.daysLeft) << "made to expire 10 days after the session began";
  const std::string approved = "Response Code: 00\nMessage: APPROVED\n";
  struct Row {
    const char* url;
    std::string text;
    const char* shot;
  };
  const Row rows[] = {
      {"https://127.0.0.20/ipsx/gateway",
       approved + CertificateLines("gateway.test", soon,
                                   "\nWarning: the gateway's certificate expires in " +
                                       std::to_string(soon.daysLeft) + " days.") +
           OtherHostLine("127.0.0.20"),
       "configure_test_certificate.bmp"},
      {"https://127.0.0.23/ipsx/gateway",
       approved + CertificateLines("gateway.test", expired, "\nWarning: the gateway's certificate has expired.") +
           OtherHostLine("127.0.0.23"),
       nullptr},
      {"https://127.0.0.22/ipsx/gateway",
       approved + CertificateLines("other.example, Other Gateways Ltd", other, "") + OtherHostLine("127.0.0.22"),
       nullptr},
  };
  std::vector<SeenBox> boxes;
  RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
    Put(dialog, kAccountNumber, kActiveCard);
    for (const Row& row : rows) {
      Put(dialog, kUrl, row.url);
      driver::Click(dialog, kTest);
      boxes.push_back(TakeMessageBox(ui, row.shot != nullptr ? ArtefactPath(row.shot) : ""));
    }
    driver::Click(dialog, kCancel);
  });
  ASSERT_EQ(std::size(rows), boxes.size());
  for (size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE(rows[i].url);
    EXPECT_EQ("Success!", boxes[i].caption);
    EXPECT_EQ(WithVersion(FolderOf(plugin), rows[i].text), boxes[i].text);
  }
}

// StrictCertificates=1: a certificate for another name or past its date fails the send
// with WinINet's number, and the box still shows whose certificate it was; the name
// the certificate is made out to passes.
TEST_F(ConfigureGatewayWin32Test, StrictCertificatesRefuseAMismatchedOrLapsedCertificate) {
  std::string strictIni = kSettingsIni;
  strictIni.insert(strictIni.find("[Text]"), "StrictCertificates=1\r\n");
  LoadedPlugin plugin(EmptyFolder("config_strict"), strictIni);
  const Expiry expired = ExpiryOf("expired");
  const Expiry other = ExpiryOf("other");
  const Expiry server = ExpiryOf("server");
  struct Row {
    const char* url;
    const char* journal;  // the stand-in's journal
    std::string caption;
    std::string text;
    size_t requests;  // that reach the stand-in
  };
  const Row rows[] = {
      {"https://127.0.0.22/ipsx/gateway", "127.0.0.22", "Error",
       TestFailureBox(TransportStep::Send, 12038) + "\n" +
           CertificateLines("other.example, Other Gateways Ltd", other, ""),
       0},
      {"https://127.0.0.23/ipsx/gateway", "127.0.0.23", "Error",
       TestFailureBox(TransportStep::Send, 12037) + "\n" +
           CertificateLines("gateway.test", expired, "\nWarning: the gateway's certificate has expired."),
       0},
      {"https://gateway.test/ipsx/gateway", kGatewayAddress, "Success!",
       "Response Code: 00\nMessage: APPROVED\n" + CertificateLines("gateway.test", server, ""), 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    const size_t before = JournalLines(row.journal).size();
    SeenBox box;
    RunConfig(plugin, nullptr, [&](HWND dialog, DWORD ui) {
      Put(dialog, kUrl, row.url);
      Put(dialog, kAccountNumber, kActiveCard);
      driver::Click(dialog, kTest);
      box = TakeMessageBox(ui);
      driver::Click(dialog, kCancel);
    });
    EXPECT_EQ(row.caption, box.caption);
    EXPECT_EQ(WithVersion(FolderOf(plugin), row.text), box.text);
    EXPECT_EQ(before + row.requests, JournalLines(row.journal).size());
  }
}
