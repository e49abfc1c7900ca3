#pragma once
#include <string>

#include "tools/reconcile/findings.h"

// report.html: one self-contained page (no scripts, no files or addresses it loads)
// that opens in any browser and prints well. Money in doubt first, then the totals with
// a bar chart of the approved amounts per day (inline SVG), the numbering, the match
// with the settlement, and what could not be read. summary: the run's summary line.
std::string HtmlReport(const Findings& findings, const std::string& summary);
