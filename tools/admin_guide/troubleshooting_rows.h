#pragma once
// The administrator's guide's troubleshooting table: every text the plug-in can show
// that says something went wrong, with what it means, its likely cause, what to do and
// whether money may have moved. The plug-in itself keeps only the plain line its
// configuration Test shows; the causes and fixes are the guide's, here. Shown texts,
// limits and plain lines are taken from the plug-in's own constants and tables, so
// that the guide follows the code.
#include <string>
#include <vector>

// The limits the guide's texts name.
struct GuideLimits {
  int minDepositUnits;
  int maxDepositUnits;
  int certificateWarningDays;
};

// The plug-in's own.
GuideLimits ProductLimits();

// The table in Markdown, its header included.
std::string TroubleshootingTable(const GuideLimits& limits);

// The symbolic names of the error numbers that have advice, in the table's order.
std::vector<std::string> AdvisedErrorNames();
