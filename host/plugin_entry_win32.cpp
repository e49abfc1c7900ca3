// The library's entry point and its four exports. Attach does all the set-up; the
// exports are thin shells that run one modal dialog each and return its end code.
#include <windows.h>

#include "dialogs/deposit_dialog.h"
#include "dialogs/dialog_procs_win32.h"
#include "host/process_attach_win32.h"
#include "host/station_functions_win32.h"
#include "host/station_interface.h"
#include "resources/resource_ids.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) ProcessAttach(module);
  return TRUE;
}

extern "C" int32_t __cdecl SPMEjectCard(void) { return 0; }

extern "C" int32_t __cdecl SPMConfig(HWND owner) {
  ConfigureDialogState state{};
  state.Owner = reinterpret_cast<uintptr_t>(owner);
  // Always the system's dialog function: the configuration is the administrator's,
  // not part of the station program's user flow. So the creation parameter is ours.
  return static_cast<int32_t>(DialogBoxParamA(ModuleInstance, CONFIGURE_REQUESTED_NAME, owner,
                                              ConfigureDialog, reinterpret_cast<LPARAM>(&state)));
}

extern "C" int32_t __cdecl SPMAccounting(HWND owner, int32_t /*unused*/, int32_t amountCents) {
  TransactionDialogState state{};
  HandOverDialogState(&state);
  const INT_PTR endCode =
      CallStationDialogBoxParam(ModuleInstance, CARDPIN_REQUESTED_NAME, owner, ChargeDialog, amountCents);
  HandOverDialogState(nullptr);
  return static_cast<int32_t>(endCode);
}

extern "C" int32_t __cdecl SPMDeposit(HWND owner, const char* user, int32_t balanceCents) {
  DepositDialogState state{};
  // The station's text goes back to its deposit function whole: a shortened copy could
  // book the money to another account. It is not ours past this call, nor is the state.
  KeepDepositUser(state, user);
  HandOverDialogState(&state);
  const INT_PTR endCode =
      CallStationDialogBoxParam(ModuleInstance, CARDPIN_REQUESTED_NAME, owner, DepositDialog, balanceCents);
  HandOverDialogState(nullptr);
  return static_cast<int32_t>(endCode);
}
