// The station program's functions as the rest of the plug-in reaches them: the
// dialog-box function for the exports, and the message-box and deposit functions that
// the dialogs ask for through their seams.
#include "host/station_functions_win32.h"

#include <cstring>

#include "dialogs/station_deposit.h"
#include "dialogs/station_message_box_win32.h"
#include "settings/module_state.h"

StationFunctionTable StationFunctions;

namespace {

constexpr char kGetStationFunctions[] = "GetStationFunctions";

const ModuleStateReset kResetStationFunctions{
    [] { std::memset(&StationFunctions, 0, sizeof StationFunctions); }};

}  // namespace

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

bool HasStationDeposit() { return StationFunctions.StationDeposit != nullptr; }

int32_t BookStationDeposit(const char* user, int32_t amountCents, int32_t* balanceCents) {
  if (StationFunctions.StationDeposit == nullptr) return kNoStationDeposit;
  return StationFunctions.StationDeposit(user, amountCents, balanceCents);
}
