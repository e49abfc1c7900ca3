#pragma once
// Module-wide state of the Win32 host layer, set at process attach (and OwnerWindow,
// DepositUser by the exports). Lives until the process ends; nothing is released.
#include <windows.h>
#include <commctrl.h>

#include "host/station_interface.h"

inline constexpr int kCardImageWidth = 36;
inline constexpr int kCardImageHeight = 37;
inline constexpr COLORREF kCardImageMask = RGB(255, 0, 255);
inline constexpr size_t kDepositUserSize = 256;

extern HINSTANCE ModuleInstance;
extern HIMAGELIST CardImageList;  // null when the bitmap could not be loaded
extern TIME_ZONE_INFORMATION TimeZoneInfo;
extern HWND OwnerWindow;          // last window given to SPMConfig
extern char DepositUser[kDepositUserSize];
extern StationFunctionTable StationFunctions;

// The station program's functions, falling back to the system's for an empty slot.
int CallStationMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
INT_PTR CallStationDialogBoxParam(HINSTANCE module, LPCSTR templateName, HWND owner,
                                  DLGPROC proc, LPARAM init);

// Work of process attach: module handle, common controls, image list, host table,
// settings path, time zone, settings.
void ProcessAttach(HINSTANCE module);

// Back to the state of a freshly loaded library, for tests.
void ResetHostState();
