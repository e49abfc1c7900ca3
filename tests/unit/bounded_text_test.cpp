#include "settings/bounded_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Pieces that do not fit are cut at the buffer, and nothing is written past it, however
// many pieces follow.
TEST(BoundedText, APieceThatDoesNotFitIsCutAndTheTextStaysInItsBuffer) {
  struct Row {
    const char* first;
    const char* second;
    std::string text;  // after the two pieces and three dots, in 8 bytes
  };
  const Row rows[] = {
      {"ab", "c", "abc..."},
      {"abc", "de", "abcde.."},
      {"abcdefg", "h", "abcdefg"},     // exactly full: nothing more finds room
      {"abcdefghij", "k", "abcdefg"},  // the first piece alone is too long
      {"", "abcdefghij", "abcdefg"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.first) + "|" + row.second);
    char buffer[12];
    std::fill(buffer, buffer + sizeof buffer, '#');
    BoundedText text(buffer, 8);
    text.Format("%s", row.first);
    text.Format("%s", row.second);
    text.Repeat('.', 3);
    EXPECT_EQ(row.text.size(), text.Length());
    EXPECT_EQ(row.text, std::string(buffer));
    EXPECT_EQ(std::string(4, '#'), std::string(buffer + 8, 4)) << "written past the buffer";
  }
}

}  // namespace
