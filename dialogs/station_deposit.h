#pragma once
#include <cstdint>

// Platform seam: the station program's deposit function (slot 2 of its function table),
// which books an approved deposit into the user's print account. The Win32 host
// implements it over the table it bound at attach (host/station_functions_win32.cpp);
// native tests use a fake. User-interface thread only.

// Returned by BookStationDeposit when the station offers no deposit function.
inline constexpr int32_t kNoStationDeposit = -1;

// False when the station program gave no deposit function (no GetStationFunctions, or
// slot 2 left empty); the table does not change after attach.
bool HasStationDeposit();

// Calls the station's deposit function with the user text given to SPMDeposit, the
// amount in cents and the dialog's balance, which the station may update. Returns 0
// when the deposit was booked, else the station's error number (kNoStationDeposit,
// without any call, when there is no function).
int32_t BookStationDeposit(const char* user, int32_t amountCents, int32_t* balanceCents);
