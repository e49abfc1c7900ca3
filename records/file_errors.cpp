#include "records/file_errors.h"

#include <cstdio>

#include "records/sequence_file.h"
#include "records/sequence_store.h"

namespace {

// The texts name the limits: the static_asserts keep them true.
static_assert(kSequenceLockWaitMs == 5000, "kLockNotGiven's text says 5 s");
static_assert(kBatchSeqFileLimit == 64 * 1024, "kStoreTooLarge's text says 64 KiB");

constexpr PluginErrorText kTexts[] = {
    {kPathTooLong, "the plug-in's folder path is too long for a file name beside it"},
    {kStoreTooLarge, "the sequence store would be larger than 64 KiB"},
    {kLockNotGiven, "the sequence store's lock was not given within 5 s"},
    {kNotReadBack, "the sequence number written did not read back"},
    {kShortWrite, "a write put fewer bytes on disk than it was given, without an error"},
    {kRedirected, "Windows redirected the file into this account's VirtualStore"},
};

}  // namespace

std::span<const PluginErrorText> PluginErrorTexts() { return kTexts; }

void FormatErrorNumber(unsigned long error, char* out, size_t size) {
  for (const PluginErrorText& row : kTexts) {
    if (row.error != error) continue;
    std::snprintf(out, size, "plug-in error %lu: %s", error & ~kPluginErrorBit, row.text);
    return;
  }
  std::snprintf(out, size, "error %lu", error);
}
