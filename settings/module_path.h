#pragma once
// Platform seam: the full path of the plug-in's own module file (not the station
// program's), as GetModuleFileNameA gives it for the plug-in's module handle. The
// Win32 host implements it (host/module_path_win32.cpp); native tests use a fake.
// Writes at most outSize bytes; returns the number of characters written without the
// NUL, which equals outSize when the path was cut (the Win32 contract), 0 on failure.
unsigned ModuleFilePath(char* out, unsigned outSize);

// The path of fileName in the module's folder (module_path.cpp, over ModuleFilePath):
// the module path up to and including its last backslash, then fileName. False, with
// out empty, when the module path is unavailable, was cut, has no backslash, or the
// whole does not fit outSize bytes.
bool PathBesideModule(const char* fileName, char* out, unsigned outSize);
