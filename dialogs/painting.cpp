#include "dialogs/painting.h"

#include "dialogs/dialog_window.h"

namespace {

constexpr int kPercent = 100;
constexpr unsigned kChannelBits = 8;
constexpr ColourRef kChannelMask = 0xFF;

int Width(const Rect& rect) { return rect.right - rect.left; }
int Height(const Rect& rect) { return rect.bottom - rect.top; }

uint16_t VertexChannel(ColourRef colour, unsigned channel) {
  return static_cast<uint16_t>(((colour >> (channel * kChannelBits)) & kChannelMask)
                               << kChannelBits);
}

}  // namespace

int BandTopAboveButton(const Rect& client, const Rect& button) {
  return button.top - (client.bottom - button.bottom) - kBandExtraAbove;
}

int BandTopByShare(const Rect& client) {
  return client.top + Height(client) * kBandStartPercent / kPercent;
}

BackgroundLayout LayoutDialogBackground(const Rect& client, const Rect* referenceButton) {
  const int bandTop = referenceButton != nullptr ? BandTopAboveButton(client, *referenceButton)
                                                 : BandTopByShare(client);
  return BackgroundLayout{
      Rect{client.left, client.top, client.right, bandTop},
      Rect{client.left, bandTop, client.right, client.bottom},
  };
}

ColourRef BandBottomColour(ColourRef shadow) {
  // Unsigned, so that a carry out of the top byte wraps instead of overflowing.
  return shadow + kBandBottomLift;
}

VertexColour ToVertexColour(ColourRef colour) {
  return VertexColour{VertexChannel(colour, 0), VertexChannel(colour, 1),
                      VertexChannel(colour, 2), 0};
}

bool HasGradientBackground(int controlId) {
  return controlId == IDC_OK || controlId == IDC_CANCEL;
}

ButtonColourSamples ButtonSamplePoints(const Rect& buttonInParent) {
  const int column = buttonInParent.left - 1;
  return ButtonColourSamples{Point{column, buttonInParent.top},
                             Point{column, buttonInParent.bottom}};
}

Rect ScreenRect(int screenWidth, int screenHeight) {
  return Rect{0, 0, screenWidth, screenHeight};
}

Point CentredPosition(const Rect& reference, const Rect& window) {
  const int x = reference.left + (Width(reference) - Width(window)) / 2;
  const int y = reference.top + (Height(reference) - Height(window)) / 2;
  return Point{x, y < 0 ? 0 : y};
}

Point KeepInWorkArea(Point position, const Rect& window, const Rect& workArea) {
  // The far edge first, so that the near edge wins for a window too large to fit.
  Point kept = position;
  if (kept.x + Width(window) > workArea.right) kept.x = workArea.right - Width(window);
  if (kept.y + Height(window) > workArea.bottom) kept.y = workArea.bottom - Height(window);
  if (kept.x < workArea.left) kept.x = workArea.left;
  if (kept.y < workArea.top) kept.y = workArea.top;
  return kept;
}
