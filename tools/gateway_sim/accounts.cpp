#include "tools/gateway_sim/accounts.h"

#include <charconv>
#include <vector>

#include "tools/gateway_sim/card_mask.h"

namespace gwsim {

namespace {

constexpr char kComment = '#';
constexpr size_t kLongestCardNumber = 79;
constexpr size_t kRequiredColumns = 3;
constexpr size_t kMostColumns = 4;

struct NamedState {
  const char* name;
  CardState state;
};

constexpr NamedState kStates[] = {
    {"active", CardState::Active},
    {"blocked", CardState::Blocked},
    {"restricted", CardState::Restricted},
};

std::vector<std::string_view> Columns(std::string_view line) {
  std::vector<std::string_view> columns;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) columns.push_back(line.substr(start, i - start));
  }
  return columns;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The reason a line is malformed, or "" with account and card set.
std::string ParseLine(std::string_view line, std::string& card, Account& account) {
  const std::vector<std::string_view> columns = Columns(line);
  if (columns.size() < kRequiredColumns || columns.size() > kMostColumns) {
    return "expected CARD BALANCE STATE [BEHAVIOUR], found " + std::to_string(columns.size()) +
           " column(s)";
  }
  if (!AllDigits(columns[0]) || columns[0].size() > kLongestCardNumber) {
    return "card number " + MaskCard(columns[0]) + " is not 1 to 79 digits";
  }
  card = columns[0];
  const std::string_view balance = columns[1];
  const auto parsed =
      std::from_chars(balance.data(), balance.data() + balance.size(), account.balanceCents);
  if (!AllDigits(balance) || parsed.ec != std::errc()) {
    return "balance '" + std::string(balance) + "' is not a whole number of cents";
  }
  bool stateKnown = false;
  for (const NamedState& entry : kStates) {
    if (columns[2] == entry.name) {
      account.state = entry.state;
      stateKnown = true;
    }
  }
  if (!stateKnown) {
    return "state '" + std::string(columns[2]) + "' is not active, blocked or restricted";
  }
  if (columns.size() == kMostColumns) {
    std::string error;
    if (!ParseBehaviour(columns[3], account.behaviour, error)) return error;
    account.hasBehaviour = true;
  }
  return "";
}

}  // namespace

bool AccountBook::Load(std::string_view text, std::string& error) {
  accounts_.clear();
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, line.find(kComment));
    if (Columns(line).empty()) continue;

    std::string card;
    Account account;
    std::string fault = ParseLine(line, card, account);
    if (fault.empty() && accounts_.count(card) != 0) {
      fault = "card " + MaskCard(card) + " is listed twice";
    }
    if (!fault.empty()) {
      error = "line " + std::to_string(lineNumber) + ": " + fault;
      accounts_.clear();
      return false;
    }
    accounts_.emplace(std::move(card), account);
  }
  return true;
}

const Account* AccountBook::Find(std::string_view card) const {
  const auto found = accounts_.find(AccountPart(card));
  return found == accounts_.end() ? nullptr : &found->second;
}

Authorisation AccountBook::Authorise(const GatewayRequest& request) {
  Authorisation result;
  const auto found = accounts_.find(AccountPart(request.card));
  if (found == accounts_.end()) return result;  // 14
  Account& account = found->second;
  result.accountKnown = true;
  result.balanceAfter = account.balanceCents;

  if (account.state == CardState::Blocked) {
    result.verdict = kDeclined;
  } else if (account.state == CardState::Restricted) {
    result.verdict = kRestrictedCard;
  } else if (request.amountCents <= 0) {
    result.verdict = kInvalidAmount;
  } else if (request.transactionCode == kTestCode) {
    result.verdict = kApproved;
  } else if (request.amountCents > account.balanceCents) {
    result.verdict = kInsufficientFunds;
  } else {
    result.verdict = kApproved;
    account.balanceCents -= request.amountCents;
    result.balanceAfter = account.balanceCents;
  }
  return result;
}

}  // namespace gwsim
