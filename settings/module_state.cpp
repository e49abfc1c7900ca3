#include "settings/module_state.h"

namespace {

// Constant-initialised, so it is null before the first registration runs.
constinit const ModuleStateReset* FirstReset = nullptr;

}  // namespace

ModuleStateReset::ModuleStateReset(void (*reset)()) : reset_(reset), next_(FirstReset) {
  FirstReset = this;
}

void ResetModuleState() {
  for (const ModuleStateReset* part = FirstReset; part != nullptr; part = part->next_) part->reset_();
}
