#pragma once
// Platform seam of the Win32 dialogs: the station program's message-box function (slot 3
// of its function table), or the system's MessageBoxA when the station left it empty or
// offers no table. The host implements it (host/station_functions_win32.cpp).
#include <windows.h>

int CallStationMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
