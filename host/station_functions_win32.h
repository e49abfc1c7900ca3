#pragma once
// The station program's function table, bound at attach. Lives until the process ends.
#include <windows.h>

#include "host/station_interface.h"

extern StationFunctionTable StationFunctions;

// Calls the station program's GetStationFunctions when its executable exports one;
// otherwise puts the system's MessageBoxA and DialogBoxParamA in slots 3 and 4.
void BindStationFunctions();

// The station program's dialog-box function, falling back to the system's for an
// empty slot.
INT_PTR CallStationDialogBoxParam(HINSTANCE module, LPCSTR templateName, HWND owner,
                                  DLGPROC proc, LPARAM init);
