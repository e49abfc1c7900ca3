#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "tools/gateway_sim/behaviour.h"
#include "tools/gateway_sim/request_check.h"

// The card accounts the simulator keeps, loaded from a text file:
//   # comment (from '#' to the end of the line); blank lines are ignored
//   CARD  BALANCE  STATE  [BEHAVIOUR]
// CARD is the card number (1 to 79 digits, no track data), BALANCE whole cents
// (0 or more), STATE "active", "blocked" or "restricted", BEHAVIOUR as in behaviour.h.
// Balances change only in memory.
namespace gwsim {

enum class CardState { Active, Blocked, Restricted };

struct Account {
  int64_t balanceCents = 0;
  CardState state = CardState::Active;
  bool hasBehaviour = false;
  Behaviour behaviour;
};

// A response code and its text, as the reply carries them.
struct Verdict {
  const char* code;
  const char* text;
};

inline constexpr Verdict kApproved{"00", "APPROVED"};
inline constexpr Verdict kDeclined{"05", "DECLINED"};
inline constexpr Verdict kInvalidAmount{"13", "INVALID AMOUNT"};
inline constexpr Verdict kInvalidCard{"14", "INVALID CARD"};
inline constexpr Verdict kFormatError{"30", "FORMAT ERROR"};
inline constexpr Verdict kInsufficientFunds{"51", "INSUFFICIENT FUNDS"};
inline constexpr Verdict kRestrictedCard{"62", "RESTRICTED CARD"};

struct Authorisation {
  Verdict verdict = kInvalidCard;
  bool accountKnown = false;
  int64_t balanceAfter = 0;   // the account's balance once the request is done
};

class AccountBook {
 public:
  // Replaces the book with the accounts of text. False when a line is malformed, with
  // error "line N: what is wrong" (card numbers in it masked) and the book left empty.
  bool Load(std::string_view text, std::string& error);

  // The account of a card field (track data after '=' ignored), or nullptr.
  const Account* Find(std::string_view card) const;

  // Decides a well-formed request; an approved charge is taken from the balance.
  // Unknown card 14; blocked 05; restricted 62; amount 0 or less 13; a test (code 100)
  // approved without moving money; a charge over the balance 51; else approved.
  // Not thread-safe: callers serialise.
  Authorisation Authorise(const GatewayRequest& request);

  size_t size() const { return accounts_.size(); }

 private:
  std::map<std::string, Account, std::less<>> accounts_;
};

}  // namespace gwsim
