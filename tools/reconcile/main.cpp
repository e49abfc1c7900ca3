// CSReconcile: reads the plug-in's journals of a month from many stations and reports
// the money in doubt, the totals, the numbering and the match with the card office's
// settlement. See README.md.
#include <cstdio>
#include <string>
#include <vector>

#include "product_version.h"
#include "tools/reconcile/options.h"
#include "tools/reconcile/reconcile.h"

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "CSReconcile: %s\n%s", error.c_str(), UsageText());
    return kInputNotRead;
  }
  if (options.Help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("CSReconcile %s\n", PRODUCT_VERSION_TEXT);
    return 0;
  }
  return Reconcile(options, stdout, stderr);
}
