#include "dialogs/painting_win32.h"

#include <cstdio>
#include <iterator>

#include "dialogs/dialog_window.h"
#include "dialogs/painting.h"
#include "settings/module_state.h"

namespace {

using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

constexpr const char* kGradientLibraryName = "MSImg32.dll";
constexpr const char* kGradientFunctionName = "GradientFill";
constexpr int kRectPointCount = 2;  // a RECT seen as two POINTs by MapWindowPoints

HMODULE GradientLibrary;
GradientFillFunction GradientFillProc;

// Back to both null. The library is not freed (the product never frees it; a later
// load only takes another reference).
const ModuleStateReset kResetGradientFill{[] {
  GradientLibrary = nullptr;
  GradientFillProc = nullptr;
}};

Rect FromRECT(const RECT& rect) {
  return Rect{static_cast<int>(rect.left), static_cast<int>(rect.top),
              static_cast<int>(rect.right), static_cast<int>(rect.bottom)};
}

RECT ToRECT(const Rect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

POINT* AsPoints(RECT* rect) { return reinterpret_cast<POINT*>(rect); }

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) {
  const VertexColour channels = ToVertexColour(colour);
  TRIVERTEX vertex;
  vertex.x = x;
  vertex.y = y;
  vertex.Red = channels.red;
  vertex.Green = channels.green;
  vertex.Blue = channels.blue;
  vertex.Alpha = channels.alpha;
  return vertex;
}

HBRUSH NullBrush() { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

// The library's full path in the system directory; false when it does not fit.
bool SystemLibraryPath(const char* libraryName, char* path, UINT size) {
  const UINT length = GetSystemDirectoryA(path, size);
  if (length == 0 || length >= size) {
    return false;
  }
  const int added = std::snprintf(path + length, size - length, "\\%s", libraryName);
  return added > 0 && static_cast<UINT>(added) < size - length;
}

}  // namespace

bool LoadGradientFillFrom(const char* libraryName, const char* functionName) {
  // By full path: a bare name would find a DLL of that name planted in the station
  // program's folder first, and run its DllMain in the station's process.
  char path[MAX_PATH];
  if (!SystemLibraryPath(libraryName, path, sizeof path)) {
    return false;
  }
  HMODULE library = LoadLibraryA(path);
  if (library == nullptr) {
    return false;
  }
  FARPROC found = GetProcAddress(library, functionName);
  if (found == nullptr) {
    // Counted as a failed load, so that the next gradient tries again.
    FreeLibrary(library);
    return false;
  }
  GradientLibrary = library;
  GradientFillProc = reinterpret_cast<GradientFillFunction>(reinterpret_cast<void*>(found));
  return true;
}

void LoadGradientFill() { LoadGradientFillFrom(kGradientLibraryName, kGradientFunctionName); }

bool GradientFillLoaded() { return GradientFillProc != nullptr; }

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF topColour, COLORREF bottomColour) {
  if (GradientLibrary == nullptr) {
    LoadGradientFill();
  }
  if (GradientFillProc == nullptr) {
    return;
  }
  TRIVERTEX vertices[] = {Vertex(rect.left, rect.top, topColour),
                          Vertex(rect.right, rect.bottom, bottomColour)};
  GRADIENT_RECT gradient[] = {{0, 1}};  // upper-left vertex 0, lower-right vertex 1
  GradientFillProc(dc, vertices, std::size(vertices), gradient, std::size(gradient),
                   GRADIENT_FILL_RECT_V);
}

HBRUSH PaintDialogBackground(HWND dialog, HDC dc) {
  RECT client;
  GetClientRect(dialog, &client);

  HWND reference = GetDlgItem(dialog, IDC_OK);
  if (reference == nullptr) {
    reference = GetDlgItem(dialog, IDC_CANCEL);
  }
  Rect button{};
  const Rect* referenceButton = nullptr;
  if (reference != nullptr) {
    RECT window;
    GetWindowRect(reference, &window);
    MapWindowPoints(nullptr, dialog, AsPoints(&window), kRectPointCount);
    button = FromRECT(window);
    referenceButton = &button;
  }

  const BackgroundLayout layout = LayoutDialogBackground(FromRECT(client), referenceButton);
  const RECT face = ToRECT(layout.face);
  FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
  FillVerticalGradient(dc, ToRECT(layout.band), GetSysColor(COLOR_BTNFACE),
                       BandBottomColour(GetSysColor(COLOR_BTNSHADOW)));
  return NullBrush();
}

HBRUSH PaintButtonBackground(HWND button, HDC dc) {
  if (!HasGradientBackground(static_cast<int>(GetWindowLongA(button, GWL_ID)))) {
    return nullptr;
  }
  HWND parent = GetParent(button);
  RECT inParent;
  GetClientRect(button, &inParent);
  MapWindowPoints(button, parent, AsPoints(&inParent), kRectPointCount);
  const ButtonColourSamples samples = ButtonSamplePoints(FromRECT(inParent));

  // Whatever the parent shows beside the button right now: the band painted by
  // PaintDialogBackground. An unreadable pixel (CLR_INVALID) gives white.
  HDC parentDc = GetDC(parent);
  const COLORREF topColour = GetPixel(parentDc, samples.top.x, samples.top.y);
  const COLORREF bottomColour = GetPixel(parentDc, samples.bottom.x, samples.bottom.y);
  ReleaseDC(parent, parentDc);

  RECT own;
  GetClientRect(button, &own);
  FillVerticalGradient(dc, own, topColour, bottomColour);
  return NullBrush();
}

void CenterOnOwner(HWND dialog, HWND owner) {
  RECT reference;
  if (owner == nullptr || !GetWindowRect(owner, &reference)) {
    reference = ToRECT(ScreenRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  }
  RECT window;
  GetWindowRect(dialog, &window);
  const Point centred = CentredPosition(FromRECT(reference), FromRECT(window));
  // The owner's monitor, or the primary one without an owner; its work area leaves out
  // the task bar.
  HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                      : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  const Point position = GetMonitorInfoA(monitor, &info)
                             ? KeepInWorkArea(centred, FromRECT(window), FromRECT(info.rcWork))
                             : centred;
  SetWindowPos(dialog, nullptr, position.x, position.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
