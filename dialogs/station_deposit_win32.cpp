#include "dialogs/station_deposit.h"

#include "host/module_state_win32.h"

bool HasStationDeposit() { return StationFunctions.StationDeposit != nullptr; }

int32_t BookStationDeposit(const char* user, int32_t amountCents, int32_t* balanceCents) {
  if (StationFunctions.StationDeposit == nullptr) return kNoStationDeposit;
  return StationFunctions.StationDeposit(user, amountCents, balanceCents);
}
