#include "dialogs/card_text.h"

#include <cstring>

char* ExtractCardText(char* entry) {
  char* card = std::strchr(entry, kTrackStartSentinel);
  card = card != nullptr ? card + 1 : entry;
  char* end = std::strchr(card, kTrackEndSentinel);
  if (end != nullptr) *end = '\0';
  return card;
}

bool MatchesCardPrefix(const char* cardText, const char* prefix) {
  return std::strncmp(cardText, prefix, std::strlen(prefix)) == 0;
}

void StoreCardNumber(const char* cardText, TransactionRecord& record) {
  constexpr size_t kLast = sizeof record.CardNumber - 1;
  std::strncpy(record.CardNumber, cardText, kLast);
  record.CardNumber[kLast] = '\0';
}
