#include "dialogs/scratch_text.h"

#include <cstring>

#include "settings/module_state.h"

char ScratchText[kScratchTextSize];

namespace {

const ModuleStateReset kResetScratchText{[] { std::memset(ScratchText, 0, sizeof ScratchText); }};

}  // namespace
