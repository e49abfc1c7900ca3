#pragma once
#include <cstdio>
#include <string>

#include "tools/reconcile/options.h"

// Exit codes, worst first wins.
inline constexpr int kNothingInDoubt = 0;
inline constexpr int kItemsInDoubt = 1;
inline constexpr int kInputNotRead = 2;

// One reconciliation: finds and reads the journals (twice when a number was used twice,
// to name every use), matches the settlement, writes the reports into options.Out and
// prints the summary line on out; notes on the input and progress go to err. Returns
// the exit code.
int Reconcile(const Options& options, std::FILE* out, std::FILE* err);

struct Findings;
// "1 line", "2 lines".
std::string Count(size_t count, const char* one, const char* many);
// The summary line and the exit code for findings; settlementProblems: lines of the
// settlement file that could not be read (or 1 for the file).
int Verdict(const Findings& findings, size_t settlementProblems, std::string& summary);
