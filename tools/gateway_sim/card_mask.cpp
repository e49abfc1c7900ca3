#include "tools/gateway_sim/card_mask.h"

namespace gwsim {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view AccountPart(std::string_view card) {
  const size_t separator = card.find(kTrackSeparator);
  return separator == std::string_view::npos ? card : card.substr(0, separator);
}

std::string MaskCard(std::string_view card) {
  const std::string_view account = AccountPart(card);
  std::string masked(account.size(), kMaskCharacter);
  if (account.size() >= kFullMaskMinLength) {
    masked.replace(0, kMaskKeepFirst, account.substr(0, kMaskKeepFirst));
  }
  if (account.size() > kMaskKeepLast) {
    const size_t tail = account.size() - kMaskKeepLast;
    masked.replace(tail, kMaskKeepLast, account.substr(tail));
  }
  return masked;
}

std::string MaskDigitRuns(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsDigit(text[i])) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsDigit(text[end])) ++end;
    const std::string_view run = text.substr(i, end - i);
    out += run.size() >= kFullMaskMinLength ? MaskCard(run) : std::string(run);
    i = end;
  }
  return out;
}

}  // namespace gwsim
