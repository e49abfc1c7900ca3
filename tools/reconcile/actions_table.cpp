// Prints the administrator's guide's table of the items of money in doubt (Markdown),
// so that the guide says what the report says. tests/docs/check_troubleshooting.py
// compares it with ADMIN.md and, with --write, puts it there.
#include <cstdio>

#include "tools/reconcile/doubt_table.h"

int main() {
  std::fputs(DoubtGuideTable().c_str(), stdout);
  return 0;
}
