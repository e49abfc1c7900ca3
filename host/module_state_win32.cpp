#include "host/module_state_win32.h"

#include <cstring>

#include "gateway/transaction_record.h"
#include "settings/settings.h"

HINSTANCE ModuleInstance;
HIMAGELIST CardImageList;
TIME_ZONE_INFORMATION TimeZoneInfo;
HWND OwnerWindow;
char DepositUser[kDepositUserSize];
StationFunctionTable StationFunctions;

namespace {

constexpr char kGetStationFunctions[] = "GetStationFunctions";
constexpr char kCardImageResource[] = "CARDIDLIST";

void BindStationFunctions() {
  HMODULE station = GetModuleHandleA(nullptr);
  auto getFunctions = reinterpret_cast<GetStationFunctionsFn>(
      reinterpret_cast<void*>(GetProcAddress(station, kGetStationFunctions)));
  if (getFunctions != nullptr) {
    getFunctions(&StationFunctions, static_cast<int32_t>(sizeof StationFunctions));
    return;
  }
  StationFunctions.StationMessageBox = MessageBoxA;
  StationFunctions.StationDialogBoxParam = DialogBoxParamA;
}

}  // namespace

int CallStationMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  // A host that left the slot empty gets the system's message box.
  StationMessageBoxFn messageBox =
      StationFunctions.StationMessageBox != nullptr ? StationFunctions.StationMessageBox : MessageBoxA;
  return messageBox(owner, text, caption, flags);
}

INT_PTR CallStationDialogBoxParam(HINSTANCE module, LPCSTR templateName, HWND owner, DLGPROC proc,
                                  LPARAM init) {
  StationDialogBoxParamFn dialogBox = StationFunctions.StationDialogBoxParam != nullptr
                                          ? StationFunctions.StationDialogBoxParam
                                          : DialogBoxParamA;
  return dialogBox(module, templateName, owner, proc, init);
}

void ProcessAttach(HINSTANCE module) {
  ModuleInstance = module;
  InitCommonControls();
  CardImageList = ImageList_LoadImageA(module, kCardImageResource, kCardImageWidth, 0, kCardImageMask,
                                       IMAGE_BITMAP, LR_DEFAULTCOLOR);
  BindStationFunctions();
  BuildSettingsPath();
  GetTimeZoneInformation(&TimeZoneInfo);
  LoadSettings();
}

void ResetHostState() {
  ModuleInstance = nullptr;
  CardImageList = nullptr;
  std::memset(&TimeZoneInfo, 0, sizeof TimeZoneInfo);
  OwnerWindow = nullptr;
  std::memset(DepositUser, 0, sizeof DepositUser);
  std::memset(&StationFunctions, 0, sizeof StationFunctions);
}
