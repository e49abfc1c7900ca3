#pragma once
// Drives the plug-in's modal dialogs from a second thread, the way a station is used:
// a keyboard-wedge card reader types one WM_CHAR per character, buttons are clicked by
// posting BM_CLICK (a sent click would block the driver when its handler opens a nested
// modal box), texts are read with time-outs because the dialog's thread may be blocked.
// Used by the station simulator's scripted mode and by the Win32 tests.
#include <windows.h>

#include <string>

namespace driver {

// Upper bounds only: a step that succeeds returns as soon as it can. A busy machine, or
// Wine emulated on one that runs no 32-bit code, takes seconds for what a station does
// in milliseconds.
inline constexpr int kDefaultTimeoutMs = 30000;

// The first visible dialog window (#32770) of the thread other than except, waiting up
// to timeoutMs; null when none appeared.
HWND WaitForDialog(DWORD threadId, int timeoutMs = kDefaultTimeoutMs, HWND except = nullptr);

// A visible message box (#32770 holding a static text 0xFFFF) of the thread, or null.
HWND WaitForMessageBox(DWORD threadId, int timeoutMs = kDefaultTimeoutMs);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
// Text of a message box (its control 0xFFFF).
std::string MessageBoxText(HWND box);

void TypeText(HWND dialog, int id, const std::string& text);
void Click(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemVisible(HWND dialog, int id);

// Waits until control id's text contains part; false on time-out.
bool WaitForItemText(HWND dialog, int id, const std::string& part, int timeoutMs = kDefaultTimeoutMs);
// Waits until the window is gone; false on time-out.
bool WaitUntilClosed(HWND window, int timeoutMs = kDefaultTimeoutMs);

// Saves what the screen shows of the window as a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::string& path);

// Runs a script of steps separated by '|' against the dialogs of threadId:
//   dialog                 wait for a dialog to appear (it becomes the current one)
//   type:ID:TEXT           type TEXT into control ID
//   click:ID               click control ID
//   text:ID:PART           wait until control ID's text contains PART
//   read:ID                print control ID's text
//   shot:FILE              save the current dialog as a BMP
//   pause:MS               wait MS milliseconds
//   box                    wait for a message box, print its text, press its OK
//   closed                 wait until the current dialog is gone
// Prints each step and what it saw to out. Returns false at the first step that fails.
bool RunScript(DWORD threadId, const std::string& script, FILE* out);

}  // namespace driver
