#include "host/process_attach_win32.h"

#include <commctrl.h>

#include "dialogs/card_picture_win32.h"
#include "gateway/settings_file.h"
#include "host/station_functions_win32.h"
#include "records/local_clock_win32.h"
#include "settings/module_state.h"
#include "settings/settings.h"

HINSTANCE ModuleInstance;

namespace {

const ModuleStateReset kResetModuleInstance{[] { ModuleInstance = nullptr; }};

}  // namespace

void ProcessAttach(HINSTANCE module) {
  ModuleInstance = module;
  InitCommonControls();
  LoadCardPictures(module);
  BindStationFunctions();
  BuildSettingsPath();
  ReadTimeZoneInfo();
  LoadSettings();
}
