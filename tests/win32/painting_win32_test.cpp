// The GDI side of the dialog painting and placement, on real windows: the gradient
// library's lazy load, the dialog background with its band, the OK and Cancel button
// backgrounds read from the parent's pixels, and the centring over an owner.
// Drawing goes to 32-bit DIB sections, so that the colours read back are exact
// whatever the display's depth.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/painting_win32.h"
#include "settings/module_state.h"

namespace {

constexpr const char* kWindowClass = "PaintingTestWindow";
constexpr COLORREF kSentinel = RGB(1, 2, 3);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string Hex(COLORREF colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06lX", static_cast<unsigned long>(colour));
  return text;
}

int Channel(COLORREF colour, int channel) { return (colour >> (8 * channel)) & 0xFF; }

// Largest per-channel difference.
int Distance(COLORREF a, COLORREF b) {
  int largest = 0;
  for (int channel = 0; channel < 3; ++channel) {
    const int difference = std::abs(Channel(a, channel) - Channel(b, channel));
    largest = difference > largest ? difference : largest;
  }
  return largest;
}

// A memory DC drawing into a top-down 32-bit DIB section.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  bool valid() const { return bits_ != nullptr; }

  void Fill(COLORREF colour) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) {
      bits_[i] = (Channel(colour, 0) << 16) | (Channel(colour, 1) << 8) | Channel(colour, 2);
    }
  }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const uint32_t value = bits_[y * width_ + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Parent windows paint black above SplitRow and white from it down, so that a
// button's two sample rows can be told apart.
int SplitRow = 0;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    return 1;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT upper{client.left, client.top, client.right, SplitRow};
    RECT lower{client.left, SplitRow, client.right, client.bottom};
    FillRect(dc, &upper, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc, &lower, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClass() {
  static bool registered = false;
  if (registered) {
    return;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kWindowClass;
  registered = RegisterClassA(&windowClass) != 0;
}

// A borderless popup, so that its client area is exactly width x height.
HWND CreatePopup(int x, int y, int width, int height, HWND owner = nullptr) {
  RegisterTestClass();
  return CreateWindowExA(0, kWindowClass, "", WS_POPUP | WS_CLIPSIBLINGS, x, y, width, height,
                         owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND CreateButton(HWND parent, int id, const RECT& r, DWORD extraStyle = 0) {
  return CreateWindowExA(0, "BUTTON", "B", WS_CHILD | WS_VISIBLE | extraStyle, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

HBRUSH NullBrush() { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

// The first pixel of the rows above `rows` (left, middle and right column) that is not
// `colour`; y is -1 when there is none.
POINT FirstPixelOtherThan(const Canvas& canvas, COLORREF colour, int width, int rows) {
  for (int y = 0; y < rows; ++y) {
    for (int x : {0, width / 2, width - 1}) {
      if (canvas.Pixel(x, y) != colour) {
        return POINT{x, y};
      }
    }
  }
  return POINT{0, -1};
}

class PaintingWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ResetModuleState(); }
  void TearDown() override { ResetModuleState(); }
};

TEST_F(PaintingWin32Test, GradientFillIsLoadedOnFirstUseAndDrawsTopToBottom) {
  constexpr int kWidth = 8;
  constexpr int kHeight = 40;
  const COLORREF top = RGB(0, 0, 0);
  const COLORREF bottom = RGB(200, 100, 40);
  Canvas canvas(kWidth, kHeight);
  ASSERT_TRUE(canvas.valid());
  canvas.Fill(kSentinel);

  EXPECT_FALSE(GradientFillLoaded());
  FillVerticalGradient(canvas.dc(), RECT{0, 0, kWidth, kHeight}, top, bottom);
  EXPECT_TRUE(GradientFillLoaded());

  EXPECT_EQ(Hex(top), Hex(canvas.Pixel(0, 0)));
  EXPECT_LE(Distance(bottom, canvas.Pixel(0, kHeight - 1)), 200 / kHeight + 1)
      << "bottom row " << Hex(canvas.Pixel(0, kHeight - 1));
  EXPECT_LE(Distance(RGB(100, 50, 20), canvas.Pixel(0, kHeight / 2)), 3)
      << "middle row " << Hex(canvas.Pixel(0, kHeight / 2));
  for (int y = 0; y < kHeight; ++y) {
    SCOPED_TRACE(y);
    EXPECT_EQ(Hex(canvas.Pixel(0, y)), Hex(canvas.Pixel(kWidth - 1, y))) << "a row of one colour";
    if (y > 0) {
      EXPECT_GE(Channel(canvas.Pixel(0, y), 0), Channel(canvas.Pixel(0, y - 1), 0));
    }
  }
}

TEST_F(PaintingWin32Test, AFailedLoadIsTriedAgainAtTheNextGradient) {
  struct Row { const char* name; const char* library; const char* function; };
  const Row rows[] = {
      {"no such library", "no_such_gradient_library.dll", "GradientFill"},
      {"library without the export", "kernel32.dll", "GradientFill"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResetModuleState();
    EXPECT_FALSE(LoadGradientFillFrom(row.library, row.function));
    EXPECT_FALSE(GradientFillLoaded());

    Canvas canvas(4, 10);
    ASSERT_TRUE(canvas.valid());
    canvas.Fill(kSentinel);
    FillVerticalGradient(canvas.dc(), RECT{0, 0, 4, 10}, kWhite, kBlack);
    EXPECT_TRUE(GradientFillLoaded());
    EXPECT_EQ(Hex(kWhite), Hex(canvas.Pixel(0, 0)));
  }
}

TEST_F(PaintingWin32Test, DialogBackgroundIsButtonFaceDownToTheBand) {
  constexpr int kWidth = 400;
  constexpr int kHeight = 190;
  struct Control { int id; RECT rect; bool hidden; };
  struct Row { const char* name; Control controls[2]; int count; int bandTop; };
  const Row rows[] = {
      {"OK at 150 to 173", {{1, {300, 150, 380, 173}, false}, {2, {200, 100, 280, 120}, false}},
       2, 128},
      {"OK hidden and disabled still counts",
       {{1, {300, 150, 380, 173}, true}, {2, {200, 100, 280, 120}, false}}, 2, 128},
      {"Cancel only, 140 to 170", {{2, {300, 140, 380, 170}, false}}, 1, 115},
      {"neither: 85% of 190", {{200, {10, 10, 50, 40}, false}}, 1, 161},
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF bottom = (GetSysColor(COLOR_BTNSHADOW) + 0x282828) & 0xFFFFFF;
  if (Distance(face, bottom) < 8) {
    GTEST_SKIP() << "button face " << Hex(face) << " too close to the band's bottom colour";
  }

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HWND dialog = CreatePopup(30, 40, kWidth, kHeight);
    ASSERT_NE(nullptr, dialog);
    for (int i = 0; i < row.count; ++i) {
      HWND control = CreateButton(dialog, row.controls[i].id, row.controls[i].rect);
      if (row.controls[i].hidden) {
        ShowWindow(control, SW_HIDE);
        EnableWindow(control, FALSE);
      }
    }
    Canvas canvas(kWidth, kHeight);
    ASSERT_TRUE(canvas.valid());
    canvas.Fill(kSentinel);

    EXPECT_EQ(NullBrush(), PaintDialogBackground(dialog, canvas.dc()));

    const POINT notFace = FirstPixelOtherThan(canvas, face, kWidth, row.bandTop);
    EXPECT_EQ(-1, notFace.y) << "(" << notFace.x << ", " << notFace.y
                             << ") above the band is not the button face " << Hex(face);
    EXPECT_LE(Distance(face, canvas.Pixel(0, row.bandTop)), 1)
        << "band top " << Hex(canvas.Pixel(0, row.bandTop));
    EXPECT_NE(Hex(face), Hex(canvas.Pixel(0, row.bandTop + 4))) << "the gradient has begun";
    const int bandHeight = kHeight - row.bandTop;
    EXPECT_LE(Distance(bottom, canvas.Pixel(kWidth - 1, kHeight - 1)),
              Distance(face, bottom) / bandHeight + 2)
        << "bottom row: expected about " << Hex(bottom) << ", got "
        << Hex(canvas.Pixel(kWidth - 1, kHeight - 1));
    for (int y = 0; y < kHeight; ++y) {
      if (canvas.Pixel(0, y) == kSentinel || canvas.Pixel(kWidth - 1, y) == kSentinel) {
        ADD_FAILURE() << "row " << y << " left unpainted";
        break;
      }
    }
    DestroyWindow(dialog);
  }
}

TEST_F(PaintingWin32Test, ButtonBackgroundContinuesTheParentBesideOkAndCancel) {
  constexpr int kButtonWidth = 80;
  constexpr int kButtonHeight = 30;
  SplitRow = 120;  // the buttons end here: their top row is black, the row below white
  HWND parent = CreatePopup(20, 20, 300, 200);
  ASSERT_NE(nullptr, parent);
  HWND ok = CreateButton(parent, 1, {100, 90, 180, 120});
  HWND cancel = CreateButton(parent, 2, {200, 90, 280, 120});
  HWND picture = CreateButton(parent, 200, {20, 90, 60, 120}, BS_OWNERDRAW);
  ShowWindow(parent, SW_SHOWNOACTIVATE);
  UpdateWindow(parent);
  PumpMessages(150);

  struct Row { const char* name; HWND button; bool painted; };
  const Row rows[] = {{"OK", ok, true}, {"Cancel", cancel, true}, {"picture 200", picture, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Canvas canvas(kButtonWidth, kButtonHeight);
    ASSERT_TRUE(canvas.valid());
    canvas.Fill(kSentinel);

    const HBRUSH result = PaintButtonBackground(row.button, canvas.dc());

    if (!row.painted) {
      EXPECT_EQ(nullptr, result);
      for (int y : {0, kButtonHeight / 2, kButtonHeight - 1}) {
        EXPECT_EQ(Hex(kSentinel), Hex(canvas.Pixel(0, y))) << "row " << y;
      }
      continue;
    }
    EXPECT_EQ(NullBrush(), result);
    EXPECT_EQ(Hex(kBlack), Hex(canvas.Pixel(0, 0))) << "top: the parent's pixel beside the top";
    EXPECT_EQ(Hex(kBlack), Hex(canvas.Pixel(kButtonWidth - 1, 0)));
    EXPECT_LE(Distance(kWhite, canvas.Pixel(0, kButtonHeight - 1)), 255 / kButtonHeight + 1)
        << "bottom: the parent's pixel below the button, got "
        << Hex(canvas.Pixel(0, kButtonHeight - 1));
    EXPECT_LE(Distance(RGB(127, 127, 127), canvas.Pixel(0, kButtonHeight / 2)), 10)
        << "middle " << Hex(canvas.Pixel(0, kButtonHeight / 2));
  }
  DestroyWindow(parent);
}

// Centred over the owner, then moved just enough to lie within the work area of the
// owner's monitor (here the only one), with an owner at each edge.
TEST_F(PaintingWin32Test, CenterOnOwnerMovesTheDialogOverItsOwner) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT work = monitor.rcWork;
  enum class Owner { Window, None, Destroyed };
  struct Row { const char* name; Owner owner; RECT ownerRect; int width, height; int x, y; };
  const Row rows[] = {
      {"owner (100, 100)-(500, 400), dialog 200 x 100", Owner::Window, {100, 100, 500, 400},
       200, 100, 200, 200},
      {"owner shorter than the dialog at the top", Owner::Window, {0, 0, 300, 50},
       200, 100, 50, static_cast<int>(work.top)},
      {"owner at the left edge: moved right", Owner::Window, {-300, 0, 100, 300},
       200, 100, static_cast<int>(work.left), 100},
      {"odd difference, then moved right", Owner::Window, {0, 200, 100, 500},
       301, 100, static_cast<int>(work.left), 300},
      {"owner at the right edge: moved left", Owner::Window,
       {screenWidth - 100, 100, screenWidth + 300, 400}, 200, 100,
       static_cast<int>(work.right) - 200, 200},
      {"owner at the bottom edge: moved up", Owner::Window,
       {100, screenHeight - 50, 500, screenHeight + 250}, 200, 100, 200,
       static_cast<int>(work.bottom) - 100},
      {"no owner: centred on the screen", Owner::None, {}, 201, 101,
       (screenWidth - 201) / 2, (screenHeight - 101) / 2},
      {"owner window gone: centred on the screen", Owner::Destroyed, {0, 0, 100, 100}, 201, 101,
       (screenWidth - 201) / 2, (screenHeight - 101) / 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HWND owner = nullptr;
    if (row.owner != Owner::None) {
      const RECT& r = row.ownerRect;
      owner = CreatePopup(r.left, r.top, r.right - r.left, r.bottom - r.top);
      ASSERT_NE(nullptr, owner);
    }
    if (row.owner == Owner::Destroyed) {
      DestroyWindow(owner);
    }
    HWND dialog = CreatePopup(7, 9, row.width, row.height);
    ASSERT_NE(nullptr, dialog);

    CenterOnOwner(dialog, owner);

    RECT moved;
    GetWindowRect(dialog, &moved);
    EXPECT_EQ(row.x, moved.left);
    EXPECT_EQ(row.y, moved.top);
    EXPECT_EQ(row.width, moved.right - moved.left) << "size kept";
    EXPECT_EQ(row.height, moved.bottom - moved.top) << "size kept";
    DestroyWindow(dialog);
    if (row.owner == Owner::Window) {
      DestroyWindow(owner);
    }
  }
}

}  // namespace
