#include "gateway/transaction_record.h"

#include "settings/module_state.h"

TransactionRecord CurrentRecord;

namespace {

const ModuleStateReset kResetRecord{[] { CurrentRecord = TransactionRecord{}; }};

}  // namespace
