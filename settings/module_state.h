#pragma once
// Module-wide state and the way back to its load-time values. Only what is truly
// module-wide lives here (settings, station functions, the module handle, the exchange
// job); a dialog keeps its own state. Every file that keeps module-wide state registers, at file scope, one function that puts its own part back:
//
//   const ModuleStateReset kResetSettings{[] { CurrentSettings = PluginSettings{}; }};
//
// ResetModuleState runs them all, so that a test can start from a freshly loaded
// library without knowing which files keep what. The registrations are linked through
// the objects themselves: nothing is allocated.

class ModuleStateReset {
 public:
  explicit ModuleStateReset(void (*reset)());
  ModuleStateReset(const ModuleStateReset&) = delete;
  ModuleStateReset& operator=(const ModuleStateReset&) = delete;

 private:
  friend void ResetModuleState();
  void (*reset_)();
  const ModuleStateReset* next_;
};

// Every registered part back to its load-time state. Not thread-safe: no worker may run.
void ResetModuleState();
