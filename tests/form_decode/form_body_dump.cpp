// Builds a set of requests and prints, one per line, a name, the message bytes in hex
// and the form body, for check_form_bodies.py to decode with Python's own URL decoder.
#include <climits>
#include <cstdio>
#include <cstring>

#include "fakes/fake_platform.h"
#include "gateway/request_message.h"
#include "gateway/transaction_record.h"
#include "records/sequence_store.h"
#include "settings/module_state.h"

namespace {

char FormBody[kFormBodySize];  // where the tests have the request built

void Dump(const char* name, const TransactionRecord& record) {
  char message[kRequestMessageSize];
  const size_t length = FormatRequestMessage(record, message);
  BuildRequest(record, FormBody);
  std::printf("%s\t", name);
  for (size_t i = 0; i < length; ++i) std::printf("%02x", static_cast<unsigned char>(message[i]));
  std::printf("\t%s\n", FormBody);
}

TransactionRecord Filled(TransactionKind kind, const char* card, int32_t amount) {
  TransactionRecord r{};
  std::strcpy(r.MerchantID, "887700123");
  std::strcpy(r.TerminalID, "T0001");
  r.BatchNumber = 1;
  r.MerchantCode = 5999;
  std::strcpy(r.CardNumber, card);
  r.AmountCents = amount;
  FillTransaction(r, kind);
  r.SequenceNumber = 1;  // the first number of a new batch
  return r;
}

// Byte values first..last (never 0) spread over the three text fields of the record.
TransactionRecord WithBytes(int first, int last) {
  TransactionRecord r = Filled(TransactionKind::Charge, "", 1);
  char* fields[] = {r.MerchantID, r.TerminalID, r.CardNumber};
  const size_t room[] = {sizeof r.MerchantID - 1, sizeof r.TerminalID - 1, sizeof r.CardNumber - 1};
  size_t field = 0;
  size_t used = 0;
  for (int byte = first; byte <= last; ++byte) {
    if (used == room[field]) {
      ++field;
      used = 0;
    }
    fields[field][used++] = static_cast<char>(byte);
  }
  return r;
}

}  // namespace

int main() {
  fake::ResetPlatformFakes();
  ResetModuleState();
  fake::profiles["C:\\Station\\CSBatchSeq.INI"]["Batch000001"]["SeqNumber"] = "16";

  Dump("worked example", Filled(TransactionKind::Charge, "6039501234567890", 250));
  Dump("deposit", Filled(TransactionKind::Deposit, "6039501234567890", 2000));
  Dump("configuration test", Filled(TransactionKind::Test, "1234", 0));
  Dump("bytes 1 to 141", WithBytes(1, 141));
  Dump("bytes 142 to 255", WithBytes(142, 255));

  TransactionRecord empty = Filled(TransactionKind::Charge, "", 0);
  empty.MerchantID[0] = '\0';
  empty.TerminalID[0] = '\0';
  Dump("empty texts", empty);

  TransactionRecord extremes = Filled(TransactionKind::Charge, "6039501234567890", INT_MIN);
  extremes.BatchNumber = INT_MIN;
  extremes.SequenceNumber = INT_MAX;
  extremes.MerchantCode = -1;
  fake::now = LocalDateTime{1999, 12, 31, 23, 59, 59};
  Dump("extreme numbers", extremes);
  return 0;
}
