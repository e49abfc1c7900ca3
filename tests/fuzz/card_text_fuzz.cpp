// Card-text extraction against a plain restatement: the text after the first ';' (or
// all of it), up to the first '?' after that; at most 79 bytes reach the record, which
// stays terminated; the prefix check is strncmp over the whole prefix.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "dialogs/card_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks a prefix length; the rest is the entry, exactly sized so that
  // a read past its terminator lands in ASan's redzone.
  if (size == 0) return 0;
  const size_t prefixLength = data[0] % 8;
  std::unique_ptr<char[]> entry(new char[size]);
  std::memcpy(entry.get(), data + 1, size - 1);
  entry[size - 1] = '\0';
  const std::string typed(entry.get());

  std::string expected = typed;
  const size_t start = expected.find(';');
  if (start != std::string::npos) expected = expected.substr(start + 1);
  const size_t end = expected.find('?');
  if (end != std::string::npos) expected = expected.substr(0, end);

  const char* card = ExtractCardText(entry.get());
  Check(card >= entry.get() && card < entry.get() + size);
  Check(expected == card);

  TransactionRecord record;
  std::memset(&record, 0, sizeof record);
  StoreCardNumber(card, record);
  Check(record.CardNumber[sizeof record.CardNumber - 1] == '\0');
  Check(expected.substr(0, 79) == record.CardNumber);

  const std::string prefix = typed.substr(0, prefixLength);
  const bool matches = MatchesCardPrefix(card, prefix.c_str());
  Check(matches == (std::strncmp(card, prefix.c_str(), prefix.size()) == 0));
  return 0;
}
