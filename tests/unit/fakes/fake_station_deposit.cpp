#include "fakes/fake_station_deposit.h"

#include "dialogs/station_deposit.h"

namespace fake {

bool stationDepositPresent = true;
int32_t stationDepositResult = 0;
std::vector<StationDepositCall> stationDeposits;

void ResetFakeStationDeposit() {
  stationDepositPresent = true;
  stationDepositResult = 0;
  stationDeposits.clear();
}

}  // namespace fake

bool HasStationDeposit() { return fake::stationDepositPresent; }

int32_t BookStationDeposit(const char* user, int32_t amountCents, int32_t* balanceCents) {
  if (!fake::stationDepositPresent) return kNoStationDeposit;
  fake::stationDeposits.push_back({user, amountCents, *balanceCents});
  if (fake::stationDepositResult == 0) *balanceCents += amountCents;
  return fake::stationDepositResult;
}
