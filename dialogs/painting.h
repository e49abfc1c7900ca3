#pragma once
#include <cstdint>

// The arithmetic behind the charge dialog's painting and the configuration dialog's
// placement: rectangles, the gradient band, colours and the centred position. Plain
// integers only; painting_win32.cpp feeds it the window geometry and draws.

// A rectangle in pixels, as Win32's RECT: right and bottom are exclusive.
struct Rect {
  int left;
  int top;
  int right;
  int bottom;
};

struct Point {
  int x;
  int y;
};

// Colours are COLORREF values: red in the lowest byte, green, then blue.
using ColourRef = uint32_t;

// The 16-bit channels of a TRIVERTEX: each 8-bit channel shifted left by 8.
struct VertexColour {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
  uint16_t alpha;
};

// How far the band reaches above the reference button beyond the button's bottom margin.
inline constexpr int kBandExtraAbove = 5;
// Without OK or Cancel the band starts at this share of the client height.
inline constexpr int kBandStartPercent = 85;
// Added to the whole shadow COLORREF to lighten the band's bottom colour.
inline constexpr ColourRef kBandBottomLift = 0x282828;

// The two parts of the dialog background: the button-face fill above and the
// gradient band below. Both span the client width; face ends where band begins.
struct BackgroundLayout {
  Rect face;
  Rect band;
};

// Band top with a reference button given in the dialog's client coordinates:
// button top - (client bottom - button bottom) - kBandExtraAbove.
int BandTopAboveButton(const Rect& client, const Rect& button);

// Band top without a reference button: client top + (height * 85) / 100, the
// product formed first and the division truncating toward zero.
int BandTopByShare(const Rect& client);

// The layout for the client rectangle; referenceButton is null when the dialog has
// neither OK nor Cancel.
BackgroundLayout LayoutDialogBackground(const Rect& client, const Rect* referenceButton);

// Shadow colour + 0x282828 on the whole 32-bit value: a channel above 0xD7 carries
// into the next higher byte (blue's carry into the top byte, which gradients ignore).
ColourRef BandBottomColour(ColourRef shadow);

// TRIVERTEX channels of a COLORREF; its top byte is not used, alpha is 0.
VertexColour ToVertexColour(ColourRef colour);

// Whether a control gets the band's gradient behind it: OK (1) and Cancel (2) only.
bool HasGradientBackground(int controlId);

// Where a button's gradient colours are read, in its parent's client coordinates:
// the column just left of the button, at its top row and at the row just below it
// (bottom is exclusive).
struct ButtonColourSamples {
  Point top;
  Point bottom;
};
ButtonColourSamples ButtonSamplePoints(const Rect& buttonInParent);

// The reference rectangle for centring when there is no owner window.
Rect ScreenRect(int screenWidth, int screenHeight);

// Top-left corner that centres a window rectangle over the reference rectangle.
// Widths and heights are right - left and bottom - top; the halving is signed and
// truncates toward zero. A negative y becomes 0; x is not limited here.
Point CentredPosition(const Rect& reference, const Rect& window);

// The position moved just enough for the window to lie wholly inside the work area:
// right or down when it starts before the left or top edge, left or up when it ends
// past the right or bottom edge. A window larger than the work area keeps its top-left
// corner inside it.
Point KeepInWorkArea(Point position, const Rect& window, const Rect& workArea);
