#pragma once
// The path of the file behind an open handle, as Windows resolved it, so that a file
// redirected into a user's VirtualStore can be told from the one meant (IsRedirected,
// records/data_folder.h).
#include <windows.h>

// Into out (kOpenedPathSize bytes); "" when the system cannot say.
void OpenedPathOf(HANDLE file, char* out);
