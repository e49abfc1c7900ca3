#pragma once
#include "gateway/transaction_record.h"

// The card number in what the user typed or a keyboard-wedge reader swiped. ';' and '?'
// are the start and end sentinels of track 2, so a swipe yields the track-2 data even
// when another track comes before it.

inline constexpr char kTrackStartSentinel = ';';
inline constexpr char kTrackEndSentinel = '?';

// Works in place on a NUL-terminated entry: the card text begins after the first ';'
// (or at the start when there is none) and ends at the first '?' after that, which
// becomes the terminator. Nothing else is removed ("=" and the data after it stay).
// Returns the start of the card text, a position inside entry; never reads past the
// entry's terminator.
char* ExtractCardText(char* entry);

// True when prefix is empty, or when the first strlen(prefix) bytes of cardText equal
// it byte for byte (a shorter card text does not match).
bool MatchesCardPrefix(const char* cardText, const char* prefix);

// Copies at most 79 bytes of cardText into record.CardNumber; the field's last byte
// stays NUL, so the field is always terminated.
void StoreCardNumber(const char* cardText, TransactionRecord& record);
