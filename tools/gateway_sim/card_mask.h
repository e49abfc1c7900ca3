#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Card numbers never leave the simulator whole: everything it prints, journals or
// sends back goes through these.
namespace gwsim {

inline constexpr char kTrackSeparator = '=';        // card number, then track data
inline constexpr size_t kMaskKeepFirst = 6;
inline constexpr size_t kMaskKeepLast = 4;
inline constexpr size_t kFullMaskMinLength = 13;    // shortest card number shown 6+4
inline constexpr char kMaskCharacter = '*';

// The account number of a card field: the text before the first '=' (the track data
// a card reader delivers follows it), or the whole field.
std::string_view AccountPart(std::string_view card);

// The account part of card, masked: first six and last four characters kept when it
// has at least 13; from 5 to 12 only the last four; 4 or fewer all masked. Track data
// is never included.
std::string MaskCard(std::string_view card);

// text with every run of 13 or more digits masked as above: a guard for free-text
// values (merchant id, terminal id) of a message whose fields may be shifted.
std::string MaskDigitRuns(std::string_view text);

}  // namespace gwsim
