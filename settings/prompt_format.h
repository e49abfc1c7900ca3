#pragma once
#include <cstddef>

// The confirmation prompt is a printf-style format given one double: the amount in
// currency units. Because any local user may be able to edit the settings file, a
// configured prompt is only used when it holds exactly one floating-point conversion
// (f, e, g, E or G with optional flags, a width and a precision of at most two digits
// each, no '*', no positional "n$", no length modifier) and any number of "%%".
bool IsSafeAmountFormat(const char* format);

// Formats the (already checked) prompt with the amount into out, always terminated.
void FormatAmountPrompt(const char* format, double amount, char* out, size_t outSize);
