// Building a request and parsing a reply must not touch the heap. Every allocation of
// the process is counted while a check runs: through the sanitizer allocator's hooks in
// an ASan build, otherwise by replacing malloc and friends with counting wrappers around
// glibc's own allocator (operator new goes through malloc, so it is counted too).
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fakes/fake_platform.h"
#include "gateway/exchange_journal.h"
#include "gateway/exchange_outcome.h"
#include "gateway/reply_parser.h"
#include "gateway/request_message.h"
#include "records/journal.h"
#include "worked_example.h"

namespace {

char FormBody[kFormBodySize];  // where the tests have the request built

std::atomic<bool> Counting{false};
std::atomic<long> Allocations{0};

void CountAllocation() {
  if (Counting.load(std::memory_order_relaxed)) Allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
void MallocHook(const volatile void*, size_t) { CountAllocation(); }
void FreeHook(const volatile void*) {}
bool InstallCounter() { return __sanitizer_install_malloc_and_free_hooks(MallocHook, FreeHook) != 0; }
}  // namespace
#else
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);

void* malloc(size_t size) noexcept {
  CountAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
  CountAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
  CountAllocation();
  return __libc_realloc(block, size);
}
void free(void* block) noexcept { __libc_free(block); }
}
namespace {
bool InstallCounter() { return true; }
}  // namespace
#endif

namespace {

template <typename Work>
long AllocationsDuring(Work work) {
  Allocations = 0;
  Counting = true;
  work();
  Counting = false;
  return Allocations.load();
}

const char kReply[] =
    "ABC\x1C" "12\x1CX\x1C" "ABCDEFG00HI\x1CK\x1C\x1CQ\x1CR\x1C" "APPROVED THANK YOU\x1CZ";

TEST(Allocation, RequestAndReplyWorkStaysOffTheHeap) {
  ASSERT_TRUE(InstallCounter());
  // The counter itself must see an allocation, or a zero below would prove nothing.
  EXPECT_GT(AllocationsDuring([] {
              char* volatile block = static_cast<char*>(std::malloc(16));
              std::free(block);
              std::string* volatile text = new std::string(100, 'x');
              delete text;
            }),
            0);

  fake::ResetPlatformFakes();
  const TransactionRecord record = WorkedExampleRecord();

  EXPECT_EQ(0, AllocationsDuring([&] {
              for (int i = 0; i < 100; ++i) BuildRequest(record, FormBody);
            }));
  EXPECT_EQ(177u, std::strlen(FormBody));

  GatewayResponse response;
  ExchangeOutcome kind = ExchangeOutcome::Unknown;
  const TransportResult answered{};
  const TransportResult failed{TransportStep::Send, 12029, 0};
  EXPECT_EQ(0, AllocationsDuring([&] {
              for (int i = 0; i < 100; ++i) {
                ParseGatewayReply(kReply, response);
                kind = ClassifyExchange(answered, kReply, response);
                ClassifyExchange(failed, "Error: HTTP Send [12029]\n", response);
              }
            }));
  EXPECT_STREQ("APPROVED THANK YOU", response.ResponseMessage);
  EXPECT_EQ(ExchangeOutcome::Approved, kind);

  // A journal record, from the record to its line (the file is the platform's).
  char line[kJournalRecordSize];
  EXPECT_EQ(0, AllocationsDuring([&] {
              for (int i = 0; i < 100; ++i) {
                JournalEntry entry{};
                BeginJournalEntry(entry, record, TransactionKind::Charge);
                const JournalRecord outcome{JournalEvent::Approved, "00", "APPROVED, \"THANK YOU\"", 1};
                FormatJournalRecord(entry, outcome, fake::now, line);
              }
            }));
  EXPECT_NE(nullptr, std::strstr(line, ",approved,00,\"APPROVED, \"\"THANK YOU\"\"\",1\r\n"));
}

}  // namespace
