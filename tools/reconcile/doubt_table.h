#pragma once
#include <string>

#include "tools/reconcile/findings.h"

// The one table of what each kind of money in doubt means and what to do about it, for
// the report, in-doubt.csv and the administrator's guide (printed by
// reconcile_actions_table, compared with ADMIN.md by a test).

struct DoubtText {
  DoubtKind Kind;
  const char* Name;     // "outcome unknown"
  const char* Meaning;  // what the journal shows
  // What to do, for a charge and for a deposit: without a settlement file, and when the
  // settlement says it was settled, or not.
  const char* Ask[2];
  const char* IfSettled[2];
  const char* IfNotSettled[2];
};

const DoubtText& DoubtTextOf(DoubtKind kind);

// The action for item, by its kind, its transaction's kind and what the gateway says.
const char* DoubtAction(const DoubtItem& item);

// What the settlement says of item, in a few words ("settled 1.50", "not settled",
// "code 05"); empty without a settlement file.
std::string GatewayWords(const GatewayView& view);

// The table in Markdown, its header included: kind, meaning, action for each.
std::string DoubtGuideTable();
