#include "tools/dialog_driver/dialog_driver_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace driver {
namespace {

constexpr int kPollMs = 50;
constexpr int kSettleMs = 150;  // a dialog needs a moment after it appears
constexpr UINT kReadTimeoutMs = 2000;
constexpr int kMessageBoxTextId = 0xFFFF;

struct Search {
  HWND except;
  bool wantMessageBox;
  HWND found;
};

bool IsDialogClass(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, "#32770") == 0;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (window == search->except || !IsWindowVisible(window) || !IsDialogClass(window)) return TRUE;
  const bool isMessageBox = GetDlgItem(window, kMessageBoxTextId) != nullptr;
  if (isMessageBox != search->wantMessageBox) return TRUE;
  search->found = window;
  return FALSE;
}

HWND WaitFor(DWORD threadId, int timeoutMs, HWND except, bool wantMessageBox) {
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    Search search{except, wantMessageBox, nullptr};
    EnumThreadWindows(threadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      Sleep(kSettleMs);
      return search.found;
    }
    Sleep(kPollMs);
  }
  return nullptr;
}

std::vector<std::string> Split(const std::string& text, char separator, size_t maxParts) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < maxParts) {
    const size_t at = text.find(separator, start);
    if (at == std::string::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// Text between double quotes, built by appending: gcc 12 warns, wrongly, of
// overlapping copies in a chain of + that begins with a literal.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

// A window's title and its text as the log shows them: "title": "text".
std::string TitledText(const std::string& title, const std::string& text) {
  std::string line = Quoted(title);
  line += ": ";
  line += Quoted(Printable(text));
  return line;
}

}  // namespace

HWND WaitForDialog(DWORD threadId, int timeoutMs, HWND except) {
  return WaitFor(threadId, timeoutMs, except, false);
}

HWND WaitForMessageBox(DWORD threadId, int timeoutMs) { return WaitFor(threadId, timeoutMs, nullptr, true); }

std::string WindowText(HWND window) {
  char buffer[2048] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, kReadTimeoutMs, &copied);
  return buffer;
}

std::string ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? WindowText(item) : std::string();
}

std::string MessageBoxText(HWND box) { return ItemText(box, kMessageBoxTextId); }

void TypeText(HWND dialog, int id, const std::string& text) {
  HWND item = GetDlgItem(dialog, id);
  for (unsigned char c : text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(item, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, kReadTimeoutMs, &ignored);
  }
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool IsItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

bool WaitForItemText(HWND dialog, int id, const std::string& part, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    if (ItemText(dialog, id).find(part) != std::string::npos) return true;
    Sleep(kPollMs);
  }
  return false;
}

bool WaitUntilClosed(HWND window, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    if (!IsWindow(window)) return true;
    Sleep(kPollMs);
  }
  return false;
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // Only the part on the screen can be copied: a source rectangle reaching past the
  // screen's edge copies nothing at all under Wine. The rest stays grey.
  const RECT whole = {0, 0, width, height};
  FillRect(memory, &whole, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  const RECT screenRect = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT visible;
  if (IntersectRect(&visible, &rect, &screenRect)) {
    BitBlt(memory, visible.left - rect.left, visible.top - rect.top, visible.right - visible.left,
           visible.bottom - visible.top, screen, visible.left, visible.top, SRCCOPY);
  }
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = ((width * 3) + 3) & ~3u;
  std::vector<unsigned char> pixels(stride * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

bool RunScript(DWORD threadId, const std::string& script, FILE* out) {
  HWND dialog = nullptr;
  for (const std::string& step : Split(script, '|', SIZE_MAX)) {
    const std::vector<std::string> parts = Split(step, ':', 3);
    const std::string& verb = parts[0];
    bool ok = true;
    std::string seen;
    if (verb == "dialog") {
      dialog = WaitForDialog(threadId);
      ok = dialog != nullptr;
      if (ok) seen = TitledText(WindowText(dialog), ItemText(dialog, 100));
    } else if (verb == "type" && parts.size() == 3) {
      TypeText(dialog, std::atoi(parts[1].c_str()), parts[2]);
    } else if (verb == "click" && parts.size() == 2) {
      Click(dialog, std::atoi(parts[1].c_str()));
    } else if (verb == "text" && parts.size() == 3) {
      ok = WaitForItemText(dialog, std::atoi(parts[1].c_str()), parts[2], 60000);
      seen = Quoted(Printable(ItemText(dialog, std::atoi(parts[1].c_str()))));
    } else if (verb == "read" && parts.size() == 2) {
      ok = dialog != nullptr && GetDlgItem(dialog, std::atoi(parts[1].c_str())) != nullptr;
      seen = Quoted(Printable(ItemText(dialog, std::atoi(parts[1].c_str()))));
    } else if (verb == "shot" && parts.size() >= 2) {
      ok = SaveWindowBitmap(dialog, step.substr(5));
    } else if (verb == "pause" && parts.size() == 2) {
      Sleep(static_cast<DWORD>(std::atoi(parts[1].c_str())));
    } else if (verb == "box") {
      HWND box = WaitForMessageBox(threadId);
      ok = box != nullptr;
      if (ok) {
        seen = TitledText(WindowText(box), MessageBoxText(box));
        Click(box, IDOK);
        if (GetDlgItem(box, IDOK) == nullptr) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        WaitUntilClosed(box);
      }
    } else if (verb == "closed") {
      ok = WaitUntilClosed(dialog, 60000);
    } else {
      ok = false;
      seen = "unknown step";
    }
    std::fprintf(out, "  driver: %-40s %s %s\n", Printable(step).c_str(), ok ? "ok" : "FAILED", seen.c_str());
    std::fflush(out);
    if (!ok) return false;
  }
  return true;
}

}  // namespace driver
