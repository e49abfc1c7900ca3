#include "gateway/transaction_record.h"

#include <cstring>

TransactionRecord CurrentRecord;

void ResetTransactionRecord() { std::memset(&CurrentRecord, 0, sizeof CurrentRecord); }
