// The confirmation prompt guard: any text it accepts must be safe to use as the format
// of one double, formatted into the 1024-byte scratch text. A format that would read
// another argument kind, write through %n or overrun the buffer shows up under ASan
// (whose printf interceptors check the arguments) or UBSan.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "dialogs/transaction_dialog.h"
#include "settings/prompt_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> format(new char[size + 1]);
  std::memcpy(format.get(), data, size);
  format[size] = '\0';
  if (!IsSafeAmountFormat(format.get())) return 0;

  const double amounts[] = {0.0, -12345.67, 1e308, -1e308, std::numeric_limits<double>::quiet_NaN(),
                            -std::numeric_limits<double>::infinity(), 5e-324};
  for (double amount : amounts) {
    char out[kScratchTextSize];
    std::memset(out, '\xAA', sizeof out);
    FormatAmountPrompt(format.get(), amount, out, sizeof out);
    if (std::memchr(out, '\0', sizeof out) == nullptr) std::abort();
  }
  return 0;
}
