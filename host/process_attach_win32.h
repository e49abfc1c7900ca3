#pragma once
// The plug-in's module handle and the work of process attach. Lives until the process
// ends; nothing is released.
#include <windows.h>

extern HINSTANCE ModuleInstance;

// Work of process attach: module handle, common controls, card pictures, the station's
// function table, settings path, time zone, settings.
void ProcessAttach(HINSTANCE module);
