#include "dialogs/scratch_text.h"

char ScratchText[kScratchTextSize];
