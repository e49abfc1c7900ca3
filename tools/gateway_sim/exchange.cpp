#include "tools/gateway_sim/exchange.h"

#include "tools/gateway_sim/card_mask.h"
#include "tools/gateway_sim/reply.h"
#include "tools/gateway_sim/request_check.h"

namespace gwsim {

namespace {

std::string StatusBody(int status) {
  return "gateway_sim: HTTP status " + std::to_string(status) + "\n";
}

// Fills the journal and reply fields that come straight from the request.
void Describe(const RequestCheck& check, JournalEntry& journal, ReplyFields& reply) {
  if (!check.fieldsRead) return;
  const GatewayRequest& r = check.request;
  if (r.transactionCode != 0) journal.transactionCode = std::to_string(r.transactionCode);
  journal.merchantId = MaskDigitRuns(r.merchantId);
  journal.terminalId = MaskDigitRuns(r.terminalId);
  journal.batch = r.batch;
  journal.sequence = r.sequence;
  if (r.zoneCode != 0) journal.zoneCode = std::to_string(r.zoneCode);
  if (!r.card.empty()) {
    journal.maskedCard = MaskCard(r.card);
    journal.track = AccountPart(r.card).size() == r.card.size() ? "no" : "yes";
  }
  if (r.amountRead) journal.amount = std::to_string(r.amountCents);

  reply.transactionCode = journal.transactionCode;
  reply.terminalId = r.terminalId;
  reply.sequence = r.sequence;
  reply.maskedCard = journal.maskedCard;
  reply.amount = journal.amount;
  reply.batch = r.batch;
}

}  // namespace

Gateway::Gateway(AccountBook accounts, const std::string& path, Behaviour everyone)
    : accounts_(std::move(accounts)), path_(path), everyone_(everyone) {}

PlannedAnswer Gateway::Handle(const IncomingRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  PlannedAnswer answer;
  JournalEntry& journal = answer.journal;
  journal.counter = ++counter_;
  journal.time = request.time;
  journal.peer = request.peer;
  journal.method = request.method;
  journal.path = request.path;
  journal.behaviour = BehaviourName(answer.behaviour);

  if (request.path != path_ || request.method != kPostMethod) {
    answer.status = request.path != path_ ? kStatusNotFound : kStatusMethodNotAllowed;
    answer.body = StatusBody(answer.status);
    journal.status = std::to_string(answer.status);
    journal.reason = request.path != path_ ? "http:unknown_path" : "http:not_post";
    return answer;
  }

  const RequestCheck check = CheckFormRequest(request.contentType, request.body);
  ReplyFields reply;
  Describe(check, journal, reply);

  const Account* account = check.fieldsRead && !check.request.card.empty()
                               ? accounts_.Find(check.request.card)
                               : nullptr;
  answer.behaviour = account != nullptr && account->hasBehaviour ? account->behaviour : everyone_;
  journal.behaviour = BehaviourName(answer.behaviour);
  journal.reason = check.reason;
  if (account != nullptr) journal.balance = std::to_string(account->balanceCents);

  if (LosesReply(answer.behaviour)) {
    switch (answer.behaviour.kind) {
      case BehaviourKind::Status:
        answer.status = answer.behaviour.argument;
        answer.body = StatusBody(answer.status);
        break;
      case BehaviourKind::Garbage:
        answer.body = GarbageReply();
        break;
      case BehaviourKind::ErrorText:
        answer.body = ErrorTextReply();
        break;
      case BehaviourKind::Redirect:
        answer.status = kRedirectStatus;
        answer.location = path_ + kRedirectSuffix;
        answer.body = StatusBody(answer.status);
        break;
      default:  // Empty, Hang, Reset: no body
        break;
    }
    const bool answered = answer.behaviour.kind != BehaviourKind::Hang &&
                          answer.behaviour.kind != BehaviourKind::Reset;
    if (answered) journal.status = std::to_string(answer.status);
    return answer;
  }

  Verdict verdict = kFormatError;
  if (check.ok()) {
    const Authorisation authorisation = accounts_.Authorise(check.request);
    verdict = authorisation.verdict;
    journal.balance =
        authorisation.accountKnown ? std::to_string(authorisation.balanceAfter) : std::string();
  }
  reply.responseCode = verdict.code;
  reply.message = verdict.text;
  reply.balance = journal.balance;
  reply.detail = check.reason;
  if (std::string_view(verdict.code) == kApproved.code) {
    reply.authorisation = static_cast<unsigned>((journal.counter - 1) % kLastAuthorisation + 1);
  }

  answer.body = BuildReply(reply);
  if (answer.behaviour.kind == BehaviourKind::Oversize) answer.body = PadReply(answer.body);
  journal.status = std::to_string(answer.status);
  journal.responseCode = verdict.code;
  return answer;
}

}  // namespace gwsim
