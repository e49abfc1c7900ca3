#pragma once
#include <cstddef>
#include <cstdint>

// The text of CSBatchSeq.INI, read and rewritten without the platform's INI functions:
// one section per batch ("Batch%06d"), key "SeqNumber", the last number handed out.
// The plug-in always writes whole lines ending "\r\n", so a file that is empty, stops
// in the middle of a line or holds lines no INI file has was not left so by it (a
// crash of another writer, a full disk, a stray copy) and is not to be trusted.

inline constexpr const char* kSequenceKey = "SeqNumber";
inline constexpr int32_t kLastSequenceNumber = 999999;
inline constexpr size_t kSequenceSectionSize = 64;

enum class StoredSequence {
  Missing,  // no section for the batch, or no key in it: the store knows nothing
  Valid,    // a number from 0 to kLastSequenceNumber
  Bad,      // anything else: garbage, a sign, too many digits, an empty value
};

struct SequenceLookup {
  StoredSequence State;
  int32_t Value;  // when Valid
};

// "Batch%06d" of batch into out (kSequenceSectionSize bytes).
void SequenceSectionName(int32_t batch, char* out);

// The number after value: value + 1, and 1 after kLastSequenceNumber.
int32_t AdvanceSequence(int32_t value);

// The later of two last numbers of a batch. Numbers go round 1, 2, ..., 999999, 1, so
// "later" is decided on that circle: a is later than b when AdvanceSequence takes b to a
// in fewer steps than it takes a to b, that is in at most 499999 steps. The circle has an
// odd count, so of two different numbers exactly one is later: 1 is later than 999999,
// 70 than 5, and 5 than 600000 (400004 steps on from it, against 599995 back). 0, and
// anything outside 1 to kLastSequenceNumber, is no number at all, earlier than any.
int32_t LaterSequence(int32_t a, int32_t b);

// Whether text (length bytes, a file that exists) is whole: not empty, ending with a
// line end, and every line blank, a comment, a "[section]" or a "key=value", with no
// control characters but tabs.
bool SequenceTextIsWhole(const char* text, size_t length);

// The value of section's key, as the INI functions find it: names compared without
// regard to case, the first section and the first key of that name win, spaces around
// names and values ignored.
SequenceLookup LookUpSequence(const char* text, size_t length, const char* section);

// text with section's key set to value, written to out (outSize bytes, no NUL added);
// every other byte stays as it was. A missing key goes right after its section's
// header, a missing section at the end. Returns the new length, or 0 when it does not
// fit.
size_t RewriteSequence(const char* text, size_t length, const char* section, int32_t value,
                       char* out, size_t outSize);
