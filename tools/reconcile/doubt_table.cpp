#include "tools/reconcile/doubt_table.h"

namespace {

constexpr const char* kNothingMoved = "Not settled: no money moved. Nothing to do.";
constexpr const char* kBookByHand =
    "The card paid (the gateway approved the deposit), but the station program did not book it: "
    "credit the user's print account by hand with the amount, or have the card office refund it.";
constexpr const char* kApprovedNotSettled =
    "Approved by the gateway but not in its settlement: ask the card office whether the card paid "
    "before crediting the print account.";

// Charges first, then deposits, in each pair.
constexpr DoubtText kDoubtTexts[] = {
    {DoubtKind::OutcomeUnknown, "outcome unknown",
     "The request may have reached the gateway, but no answer could be read.",
     {"Ask the card office whether it was settled. If it was, the card paid for a job that the station "
      "program took as unpaid: have it refunded. If not, nothing to do.",
      "Ask the card office whether it was settled. If it was, credit the user's print account by hand with "
      "the amount. If not, nothing to do."},
     {"Settled: the card paid for a job that the station program took as unpaid: have the card office "
      "refund it.",
      "Settled: the card paid, but the print account was not credited: credit it by hand with the amount."},
     {kNothingMoved, kNothingMoved}},
    {DoubtKind::NoOutcome, "no outcome",
     "A \"sending\" record and nothing after it: the station program ended while the request ran.",
     {"Treat it as outcome unknown: ask the card office whether it was settled. If it was, have the card "
      "refunded. If not, nothing to do.",
      "Treat it as outcome unknown: ask the card office whether it was settled. If it was, credit the "
      "user's print account by hand with the amount. If not, nothing to do."},
     {"Settled: the card paid for a job that the station program took as unpaid: have the card office "
      "refund it.",
      "Settled: the card paid, but the print account was not credited: credit it by hand with the amount."},
     {kNothingMoved, kNothingMoved}},
    {DoubtKind::BookingFailed, "booking failed",
     "The gateway approved a deposit, but the station program did not book it (its error is in the "
     "message).",
     {kBookByHand, kBookByHand},
     {kBookByHand, kBookByHand},
     {kApprovedNotSettled, kApprovedNotSettled}},
    {DoubtKind::NotBooked, "not booked",
     "The gateway approved a deposit, and no record of its booking follows: the station program ended "
     "before it booked.",
     {kBookByHand, kBookByHand},
     {kBookByHand, kBookByHand},
     {kApprovedNotSettled, kApprovedNotSettled}},
};

}  // namespace

const DoubtText& DoubtTextOf(DoubtKind kind) {
  for (const DoubtText& text : kDoubtTexts) {
    if (text.Kind == kind) return text;
  }
  return kDoubtTexts[0];
}

const char* DoubtAction(const DoubtItem& item) {
  const DoubtText& text = DoubtTextOf(item.Kind);
  const int which = item.Transaction == JournalKind::Deposit ? 1 : 0;
  switch (item.Gateway.State) {
    case Settled::NotAsked:
      return text.Ask[which];
    case Settled::Yes:
      return text.IfSettled[which];
    case Settled::No:
    case Settled::OtherCode:
      break;
  }
  return text.IfNotSettled[which];
}

std::string GatewayWords(const GatewayView& view) {
  char amount[24];
  switch (view.State) {
    case Settled::NotAsked:
      return "";
    case Settled::Yes:
      FormatJournalAmount(view.Cents, amount, sizeof amount);
      return std::string("settled ") + amount;
    case Settled::OtherCode:
      return "code " + view.Code;
    case Settled::No:
      break;
  }
  return "not settled";
}

std::string DoubtGuideTable() {
  std::string table =
      "| item | what the journal shows | what to do without a settlement file | settled | not settled |\n"
      "|---|---|---|---|---|\n";
  for (const DoubtText& text : kDoubtTexts) {
    for (int which = 0; which < 2; ++which) {
      if (which == 1 && text.Ask[1] == text.Ask[0] && text.IfSettled[1] == text.IfSettled[0]) break;
      table += std::string("| `") + text.Name + "`" +
               (text.Ask[1] == text.Ask[0] ? "" : which == 0 ? ", a charge" : ", a deposit") + " | " +
               text.Meaning + " | " + text.Ask[which] + " | " + text.IfSettled[which] + " | " +
               text.IfNotSettled[which] + " |\n";
    }
  }
  return table;
}
