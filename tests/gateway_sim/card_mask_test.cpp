#include <gtest/gtest.h>

#include <string>

#include "tools/gateway_sim/card_mask.h"

namespace {

TEST(CardMaskTest, CardsKeepAtMostSixAndFour) {
  struct Row {
    std::string card;
    std::string masked;
  };
  const Row rows[] = {
      {"6039501234567890", "603950******7890"},
      {"6039501234567890=4912101", "603950******7890"},
      {"6039501234567", "603950***4567"},        // 13: shortest shown 6+4
      {"603950123456", "********3456"},          // 12: last four only
      {"12345", "*2345"},
      {"1234", "****"},
      {"", ""},
      {"=4912", ""},
      {std::string(79, '9'), "999999" + std::string(69, '*') + "9999"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.card);
    EXPECT_EQ(row.masked, gwsim::MaskCard(row.card));
  }
}

TEST(CardMaskTest, OnlyLongDigitRunsAreMaskedInFreeText) {
  struct Row {
    const char* text;
    const char* masked;
  };
  const Row rows[] = {
      {"887700123", "887700123"},
      {"T0001", "T0001"},
      {"C0000001000017CU00 D7066039501234567890",
       "C000000***0017CU00 D706603*********7890"},
      {"x603950123456789y", "x603950*****6789y"},
      {"603950123456", "603950123456"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.masked, gwsim::MaskDigitRuns(row.text));
  }
}

}  // namespace
