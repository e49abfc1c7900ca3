// Prints the administrator's guide's troubleshooting table (Markdown), so that the guide
// cannot drift from the texts the code shows. tests/docs/check_troubleshooting.py
// compares it with ADMIN.md and, with --write, puts it there.
#include <cstdio>

#include "tools/admin_guide/troubleshooting_rows.h"

int main() {
  std::fputs(TroubleshootingTable(ProductLimits()).c_str(), stdout);
  return 0;
}
