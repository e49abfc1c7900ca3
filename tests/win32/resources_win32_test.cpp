// The plug-in's compiled resources as the system sees them: the CARDIDLIST strip cut
// into an image list with magenta transparent, and the CARDPIN and CONFIGURE
// templates instantiated as real dialogs. The DLL is mapped as a data file, so that
// none of its code runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "product_version.h"
#include "resources/resource_ids.h"
#include "win32_test_support.h"

namespace {

constexpr const char* kPluginFile = "CSPlugin.dll";
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGround = RGB(0, 128, 64);  // what transparent pixels must leave alone
constexpr int kImageWidth = 36;
constexpr int kImageHeight = 37;

std::string Hex(COLORREF colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(colour));
  return text;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

class ResourcesWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Plugin = LoadLibraryExA(kPluginFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (Plugin != nullptr) {
      FreeLibrary(Plugin);
      Plugin = nullptr;
    }
  }
  void SetUp() override { ASSERT_NE(nullptr, Plugin) << kPluginFile << ": " << GetLastError(); }

  static HINSTANCE Plugin;
};

HINSTANCE ResourcesWin32Test::Plugin = nullptr;

std::string ItemText(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

TEST_F(ResourcesWin32Test, CardImageListHoldsFourTransparentPictures) {
  HIMAGELIST images = ImageList_LoadImageA(Plugin, "CARDIDLIST", kImageWidth, 0, kMagenta,
                                           IMAGE_BITMAP, LR_DEFAULTCOLOR);
  ASSERT_NE(nullptr, images);
  EXPECT_EQ(4, ImageList_GetImageCount(images));
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(kImageWidth, width);
  EXPECT_EQ(kImageHeight, height);

  // A 32-bit DIB section, so that the colours read back are exact at any display depth.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kImageWidth;
  info.bmiHeader.biHeight = -kImageHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(nullptr, bitmap);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  HBRUSH ground = CreateSolidBrush(kGround);
  const RECT all{0, 0, kImageWidth, kImageHeight};
  // A point inside each picture that is not background.
  struct Row { int image; POINT inside; };
  const Row rows[] = {{0, {13, 12}}, {1, {18, 18}}, {2, {18, 18}}, {3, {15, 20}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.image);
    FillRect(dc, &all, ground);
    ASSERT_TRUE(ImageList_Draw(images, row.image, dc, 0, 0, ILD_TRANSPARENT));
    for (POINT corner : {POINT{0, 0}, POINT{kImageWidth - 1, 0}, POINT{0, kImageHeight - 1},
                         POINT{kImageWidth - 1, kImageHeight - 1}}) {
      EXPECT_EQ(Hex(kGround), Hex(GetPixel(dc, corner.x, corner.y)))
          << "corner (" << corner.x << ", " << corner.y << ") is transparent";
    }
    EXPECT_NE(Hex(kGround), Hex(GetPixel(dc, row.inside.x, row.inside.y)))
        << "the picture itself is drawn";
  }
  // The last one drawn: the red disc, white at the crossing of its cross.
  FillRect(dc, &all, ground);
  ImageList_Draw(images, 2, dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(Hex(RGB(255, 255, 255)), Hex(GetPixel(dc, 18, 18))) << "the disc's white cross";
  EXPECT_EQ(Hex(RGB(255, 0, 0)), Hex(GetPixel(dc, 18, 6))) << "the disc's red";

  DeleteObject(ground);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ImageList_Destroy(images);
}

// Ids, classes, texts and styles are pinned byte for byte by
// tests/resources/dialog_templates_test.py; here the system's dialog manager builds the
// templates, found by the names the exports use.
TEST_F(ResourcesWin32Test, CardDialogTemplateIsNotAPopupAndHasItsControls) {
  HWND dialog = CreateDialogParamA(Plugin, "CardPIN", nullptr, QuietDialogProc, 0);
  ASSERT_NE(nullptr, dialog) << GetLastError();
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(0, style & (WS_POPUP | WS_CHILD)) << std::hex << style;
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION) << std::hex << style;
  for (int id : {IDC_CARD_ENTRY, IDC_OK, IDC_CANCEL, IDC_CARD_MESSAGE, IDC_CARD_PICTURE,
                 IDC_CARD_MINI_ICON, IDC_CARD_EXIT_ICON}) {
    EXPECT_NE(nullptr, GetDlgItem(dialog, id)) << "control " << id;
  }
  EXPECT_EQ(CARDPIN_NEXT_TEXT, ItemText(dialog, IDOK));
  DestroyWindow(dialog);
}

TEST_F(ResourcesWin32Test, ConfigureDialogTabsThroughItsFieldsAndSavesOnEnter) {
  HWND dialog = CreateDialogParamA(Plugin, "Configure", nullptr, QuietDialogProc, 0);
  ASSERT_NE(nullptr, dialog) << GetLastError();

  const LRESULT defaultId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  EXPECT_EQ(DC_HASDEFID, HIWORD(defaultId));
  EXPECT_EQ(IDOK, LOWORD(defaultId)) << "Enter activates Save";
  EXPECT_EQ(CONFIGURE_SAVE_TEXT, ItemText(dialog, IDOK));

  const std::vector<int> expected{IDC_CONFIG_URL,           IDC_CONFIG_MERCHANT_ID,
                                  IDC_CONFIG_TERMINAL_ID,   IDC_CONFIG_BATCH_NUMBER,
                                  IDC_CONFIG_MERCHANT_CODE, IDC_CONFIG_PREFIX_MATCH,
                                  IDC_CONFIG_ACCOUNT_NUMBER, IDC_CONFIG_TEST,
                                  IDOK,                     IDCANCEL};
  std::vector<int> order;
  HWND item = GetDlgItem(dialog, IDC_CONFIG_URL);
  for (size_t i = 0; i < expected.size() && item != nullptr; ++i) {
    order.push_back(GetDlgCtrlID(item));
    item = GetNextDlgTabItem(dialog, item, FALSE);
  }
  EXPECT_EQ(expected, order);
  EXPECT_EQ(GetDlgItem(dialog, IDC_CONFIG_URL), item) << "the tab order wraps to the URL field";
  DestroyWindow(dialog);
}

// The version resource as Properties > Details reads it: the string block is found
// through VarFileInfo's Translation, as Explorer finds it.
TEST(VersionResource, CarriesTheProjectVersionAndNamesTheProduct) {
  const std::string path = testenv::BuildDir() + kPluginFile;
  DWORD ignored = 0;
  SetLastError(0xdeadbeef);
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_NE(0u, size) << path << ": no version resource, error " << GetLastError();
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data())) << GetLastError();

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(sizeof *fixed, length);
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  const DWORD versionHigh = MAKELONG(PRODUCT_VERSION_MINOR, PRODUCT_VERSION_MAJOR);
  const DWORD versionLow = MAKELONG(0, PRODUCT_VERSION_PATCH);
  EXPECT_EQ(versionHigh, fixed->dwFileVersionMS);
  EXPECT_EQ(versionLow, fixed->dwFileVersionLS);
  EXPECT_EQ(versionHigh, fixed->dwProductVersionMS);
  EXPECT_EQ(versionLow, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof *translation);
  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation->language,
                translation->codePage);

  struct Row {
    const char* name;
    const char* expected;
  };
  const Row rows[] = {
      {"FileVersion", PRODUCT_VERSION_TEXT},
      {"ProductVersion", PRODUCT_VERSION_TEXT},
      {"ProductName", PRODUCT_NAME},
      {"FileDescription", "CardSmith campus-card payment plug-in for the print station"},
      {"OriginalFilename", kPluginFile},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), (std::string(block) + row.name).c_str(),
                               reinterpret_cast<void**>(&value), &length))
        << block << row.name;
    EXPECT_STREQ(row.expected, value);
  }
}

}  // namespace
