#pragma once
#include <string>
#include <vector>

#include "tools/reconcile/settlement.h"

// CSReconcile's command line. Options take their value as the next argument or after
// '=' (--month 2026-12, --month=2026-12).
struct Options {
  std::vector<std::string> Journals;  // files or folders
  int Month = 0;                      // YYYYMM; 0: every month read
  std::string Gateway;                // the settlement file, or none
  SettlementColumns Columns;
  std::string Out = ".";
  bool Help = false;
  bool Version = false;
};

// False with a one-line reason in error.
bool ParseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error);

const char* UsageText();
