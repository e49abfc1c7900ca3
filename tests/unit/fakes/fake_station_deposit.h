#pragma once
// Stand-in for the station program's deposit function: presence and result are set by
// the test, every call is recorded.
#include <cstdint>
#include <string>
#include <vector>

namespace fake {

struct StationDepositCall {
  std::string user;
  int32_t amountCents;
  int32_t balanceCents;  // what the balance pointer held at the call
};

extern bool stationDepositPresent;
extern int32_t stationDepositResult;
extern std::vector<StationDepositCall> stationDeposits;

void ResetFakeStationDeposit();

}  // namespace fake
