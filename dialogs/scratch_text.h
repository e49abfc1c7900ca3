#pragma once
#include <cstddef>

// The one text buffer in which the dialogs read the edit control and format every text
// they show. Each use overwrites the last; user-interface thread only.
inline constexpr size_t kScratchTextSize = 1024;
extern char ScratchText[kScratchTextSize];
