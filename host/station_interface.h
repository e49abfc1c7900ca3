#pragma once
// The plug-in's interface to the station program, for both sides.
//
// The station program loads the plug-in DLL and calls its four exports on its
// user-interface thread, one at a time; each blocks with one modal dialog and returns
// that dialog's end code. All four use the C calling convention (__cdecl), so a caller
// that passes arguments an export does not read cannot unbalance the stack.
//
// At load the plug-in looks up GetStationFunctions in the station program's executable
// and calls it (__cdecl) with a StationFunctionTable and its size, 20 bytes (32-bit). Without it
// the plug-in uses the system's MessageBoxA and DialogBoxParamA, and deposits cannot be
// credited. Slots 3 and 4 are WINAPI (__stdcall) because the plug-in itself puts those
// system functions there when the host has no table; slot 2 is __cdecl.
#include <windows.h>

#include <cstdint>

extern "C" {

// Books a deposit into the user's print account. user: the text given to SPMDeposit;
// amountCents: hundredths of the currency unit; balanceCents: the plug-in's copy of the
// balance, which the function may update. Returns 0 when booked, else an error number.
typedef int32_t(__cdecl* StationDepositFn)(const char* user, int32_t amountCents,
                                           int32_t* balanceCents);
// Same contract as MessageBoxA and DialogBoxParamA.
typedef int(WINAPI* StationMessageBoxFn)(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
typedef INT_PTR(WINAPI* StationDialogBoxParamFn)(HINSTANCE module, LPCSTR templateName,
                                                  HWND owner, DLGPROC proc, LPARAM init);

struct StationFunctionTable {
  void* Reserved0;  // filled by the host, never read by the plug-in
  void* Reserved1;
  StationDepositFn StationDeposit;
  StationMessageBoxFn StationMessageBox;
  StationDialogBoxParamFn StationDialogBoxParam;
};
// Five pointers: 20 bytes in the shipped 32-bit DLL, 40 in the 64-bit test build.
static_assert(sizeof(StationFunctionTable) == 5 * sizeof(void*), "the table is five pointers");

typedef void(__cdecl* GetStationFunctionsFn)(StationFunctionTable* table, int32_t size);

// The exports. Returns: SPMEjectCard 0; SPMConfig 1 after Save or the close box, 0 after
// Cancel; SPMAccounting 1 when the charge was approved, 2 when not; SPMDeposit the
// deposited amount in cents once booked, 0 otherwise.
int32_t __cdecl SPMEjectCard(void);
int32_t __cdecl SPMConfig(HWND owner);
int32_t __cdecl SPMAccounting(HWND owner, int32_t unused, int32_t amountCents);
int32_t __cdecl SPMDeposit(HWND owner, const char* user, int32_t balanceCents);

}  // extern "C"
