#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/card_text.h"
#include "gateway/transaction_record.h"

namespace {

TEST(CardTextTest, TakesTrackTwoBetweenTheSentinels) {
  struct Row { const char* entry; const char* card; };
  const Row rows[] = {
      {"%B6039501234567890^NAME^4912?;6039501234567890=4912?", "6039501234567890=4912"},
      {"603950123", "603950123"},
      {"12?34", "12"},
      {";?", ""},
      {";6039501234", "6039501234"},
      {"?;12?", "12"},               // a '?' before the ';' is not the end
      {"ab;cd;ef?gh?", "cd;ef"},     // only the first ';' and the first '?' after it count
      {"", ""},
      {";", ""},
      {"?", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    char entry[256];
    std::strcpy(entry, row.entry);
    const char* card = ExtractCardText(entry);
    EXPECT_STREQ(row.card, card);
    EXPECT_GE(card, entry);
    EXPECT_LE(card, entry + std::strlen(row.entry));
  }
}

TEST(CardTextTest, PrefixIsComparedBytewise) {
  struct Row { const char* prefix; const char* card; bool matches; };
  const Row rows[] = {
      {"603950", "6039501234", true},
      {"603950", "603950", true},
      {"603950", "6039", false},  // shorter than the prefix
      {"603950", "5039501234", false},
      {"603950", "", false},
      {"", "", true},
      {"", "anything at all", true},
      {"AB", "ab12", false},
      {"AB", "AB12", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.prefix) + " / " + row.card);
    EXPECT_EQ(row.matches, MatchesCardPrefix(row.card, row.prefix));
  }
}

TEST(CardTextTest, CardNumberKeepsAtMostSeventyNineBytes) {
  struct Row { size_t length; size_t stored; };
  const Row rows[] = {{0, 0}, {16, 16}, {79, 79}, {80, 79}, {100, 79}, {255, 79}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    TransactionRecord record;
    std::memset(&record, 'x', sizeof record);
    const std::string card(row.length, '7');
    StoreCardNumber(card.c_str(), record);
    EXPECT_EQ(card.substr(0, row.stored), std::string(record.CardNumber));
    EXPECT_EQ('\0', record.CardNumber[79]);
    EXPECT_EQ('x', record.Indicator3[0]) << "the field after CardNumber was written";
  }
}

}  // namespace
