#pragma once
#include <string>

#include "tools/reconcile/findings.h"

// The report's tables for a spreadsheet, with the journal's own conventions (CRLF line
// ends, RFC 4180 quoting, a text that a spreadsheet would take for a formula escaped
// with an apostrophe): in-doubt.csv, totals.csv, numbering.csv and, with a settlement
// file, match.csv, into folder. False with the file and the reason in error.
bool WriteCsvReports(const Findings& findings, const std::string& folder, std::string& error);

// "2026-12-18 14:05:09" and "2026-12-18" (day as YYYYMMDD).
std::string TimeText(const LocalDateTime& time);
std::string DayText(int day);
std::string AmountText(int64_t cents);
// "st01/CSJournal-2026-12.csv" of a place's file.
const std::string& FileOf(const Findings& findings, const Place& at);

// The words of a match result: "matched", "amounts differ", ...
const char* MatchResultName(MatchResult result);
