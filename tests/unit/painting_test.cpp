#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialogs/painting.h"

namespace {

std::string Describe(const Rect& r) {
  char text[80];
  std::snprintf(text, sizeof text, "(%d, %d)-(%d, %d)", r.left, r.top, r.right, r.bottom);
  return text;
}

void ExpectRect(const Rect& expected, const Rect& actual) {
  EXPECT_EQ(Describe(expected), Describe(actual));
}

TEST(PaintingTest, BandStartsAboveTheReferenceButton) {
  struct Row { const char* name; Rect client; Rect button; int bandTop; };
  const Row rows[] = {
      {"client 400 x 190, button 150 to 173", {0, 0, 400, 190}, {300, 150, 380, 173}, 128},
      {"button flush with the bottom", {0, 0, 400, 190}, {300, 160, 380, 190}, 155},
      {"margin larger than the space above", {0, 0, 100, 40}, {10, 5, 50, 10}, -30},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.bandTop, BandTopAboveButton(row.client, row.button));
    const BackgroundLayout layout = LayoutDialogBackground(row.client, &row.button);
    ExpectRect({row.client.left, row.client.top, row.client.right, row.bandTop}, layout.face);
    ExpectRect({row.client.left, row.bandTop, row.client.right, row.client.bottom}, layout.band);
  }
}

TEST(PaintingTest, BandStartsAt85PercentWithoutAButton) {
  struct Row { Rect client; int bandTop; };
  const Row rows[] = {
      {{0, 0, 300, 200}, 170},
      {{0, 0, 300, 199}, 169},  // 16915 / 100, truncated
      {{0, 0, 300, 1}, 0},
      {{0, 0, 300, 0}, 0},
      {{0, 10, 300, 210}, 180},  // measured from the client top
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Describe(row.client));
    EXPECT_EQ(row.bandTop, BandTopByShare(row.client));
    const BackgroundLayout layout = LayoutDialogBackground(row.client, nullptr);
    EXPECT_EQ(row.bandTop, layout.face.bottom);
    EXPECT_EQ(row.bandTop, layout.band.top);
    EXPECT_EQ(row.client.bottom, layout.band.bottom);
  }
}

TEST(PaintingTest, BandBottomColourAddsOnTheWholeColourRef) {
  struct Row { ColourRef shadow; ColourRef bottom; };
  const Row rows[] = {
      {0x808080, 0xA8A8A8},
      {0xD7D7D7, 0xFFFFFF},    // the highest channels that do not carry
      {0x00E0A0, 0x2908C8},    // green carries into blue
      {0x0000D8, 0x282900},    // red carries into green
      {0xE00000, 0x1082828},   // blue carries into the top byte
      {0xFFFFFF, 0x1282827},
      {0xFFFFFFFF, 0x282827},  // CLR_INVALID wraps around the 32 bits
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::hex << "shadow 0x" << row.shadow);
    EXPECT_EQ(row.bottom, BandBottomColour(row.shadow));
  }
}

TEST(PaintingTest, VertexChannelsAreTheBytesShiftedBy8) {
  struct Row { ColourRef colour; uint16_t red, green, blue; };
  const Row rows[] = {
      {0x00336699, 0x9900, 0x6600, 0x3300},
      {0x01336699, 0x9900, 0x6600, 0x3300},  // top byte ignored
      {0x00000000, 0x0000, 0x0000, 0x0000},
      {0x00FFFFFF, 0xFF00, 0xFF00, 0xFF00},
      {0x000000FF, 0xFF00, 0x0000, 0x0000},
      {0xFFFFFFFF, 0xFF00, 0xFF00, 0xFF00},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::hex << "colour 0x" << row.colour);
    const VertexColour vertex = ToVertexColour(row.colour);
    EXPECT_EQ(row.red, vertex.red);
    EXPECT_EQ(row.green, vertex.green);
    EXPECT_EQ(row.blue, vertex.blue);
    EXPECT_EQ(0, vertex.alpha);
  }
}

TEST(PaintingTest, OnlyOkAndCancelGetTheGradient) {
  struct Row { int id; bool gradient; };
  const Row rows[] = {{1, true}, {2, true}, {200, false}, {0, false},
                      {3, false}, {100, false}, {-1, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(row.gradient, HasGradientBackground(row.id));
  }
}

TEST(PaintingTest, ButtonColoursComeFromTheColumnLeftOfIt) {
  const ButtonColourSamples samples = ButtonSamplePoints({208, 157, 316, 183});
  EXPECT_EQ(207, samples.top.x);
  EXPECT_EQ(157, samples.top.y);
  EXPECT_EQ(207, samples.bottom.x);
  EXPECT_EQ(183, samples.bottom.y);  // the row below the button: bottom is exclusive
}

TEST(PaintingTest, CentredPosition) {
  struct Row { const char* name; Rect reference; Rect window; int x, y; };
  const Row rows[] = {
      {"owner (100, 100)-(900, 700), dialog 400 x 300",
       {100, 100, 900, 700}, {0, 0, 400, 300}, 300, 250},
      {"where the dialog is now does not matter",
       {100, 100, 900, 700}, {-50, 1000, 350, 1300}, 300, 250},
      {"owner shorter than the dialog: y clamped at 0",
       {0, 0, 800, 100}, {0, 0, 400, 300}, 200, 0},
      {"owner partly off screen: x stays negative",
       {-500, 0, 100, 600}, {0, 0, 400, 300}, -400, 150},
      {"no owner, 1024 x 768 screen, dialog 301 x 201",
       ScreenRect(1024, 768), {0, 0, 301, 201}, 361, 283},
      {"negative odd difference truncates toward zero",
       {0, 0, 100, 1000}, {0, 0, 301, 100}, -100, 450},
      {"owner low on screen: y stays positive, not limited at the bottom",
       {0, 700, 200, 760}, {0, 0, 100, 300}, 50, 580},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Point position = CentredPosition(row.reference, row.window);
    EXPECT_EQ(row.x, position.x);
    EXPECT_EQ(row.y, position.y);
  }
}

// A 400 x 300 dialog centred over an owner at each edge of a 1024 x 768 work area.
TEST(PaintingTest, KeepInWorkArea) {
  struct Row { const char* name; Rect owner; Rect work; int x, y; };
  const Rect work = {0, 0, 1024, 738};  // a task bar of 30 pixels below
  const Row rows[] = {
      {"owner in the middle: unchanged", {312, 234, 712, 534}, work, 312, 234},
      {"owner at the left edge: moved right", {-300, 200, 100, 600}, work, 0, 250},
      {"owner at the right edge: moved left", {900, 200, 1300, 600}, work, 624, 250},
      {"owner at the top: moved down", {300, -500, 700, 0}, work, 300, 0},
      {"owner at the bottom: moved up above the task bar", {300, 700, 700, 900}, work, 300, 438},
      {"second monitor's work area", {1500, 100, 1600, 200}, {1024, 0, 1824, 600}, 1350, 0},
      {"dialog wider and taller than the work area", {0, 0, 200, 100}, {10, 20, 310, 220}, 10, 20},
  };
  const Rect dialog = {0, 0, 400, 300};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Point position = KeepInWorkArea(CentredPosition(row.owner, dialog), dialog, row.work);
    EXPECT_EQ(row.x, position.x);
    EXPECT_EQ(row.y, position.y);
  }
}

}  // namespace
