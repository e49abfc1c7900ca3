#include "tools/admin_guide/troubleshooting_rows.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "dialogs/certificate_lines.h"
#include "dialogs/charge_dialog.h"
#include "dialogs/configure_dialog.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/not_sent_text.h"
#include "dialogs/transaction_dialog.h"
#include "dialogs/troubleshooting.h"
#include "gateway/reply_parser.h"
#include "gateway/transport_errors.h"
#include "records/file_errors.h"
#include "settings/setting_checks.h"

namespace {

enum class MoneyMoved {
  No,     // nothing reached the gateway, or the gateway refused
  Maybe,  // the request may have reached the gateway: ask the card office
  Yes,    // the card was charged
};

// Advice for one WinINet error (its plain line is in the transport's table), at the
// steps of the exchange where it occurs.
struct ErrorAdvice {
  const char* name;  // the platform's symbolic name, as the transport's table has it
  unsigned steps;    // bits: 1 << TransportStep
  const char* cause;
  const char* fix;
};

// Advice for one HTTP status the gateway's server may answer with instead of 200.
struct StatusAdvice {
  int status;
  const char* cause;
  const char* fix;
};

constexpr unsigned On(TransportStep step) { return 1u << static_cast<unsigned>(step); }

constexpr unsigned kConnect = On(TransportStep::Connect);
constexpr unsigned kSetUp = On(TransportStep::Connect) | On(TransportStep::OpenRequest);
constexpr unsigned kSend = On(TransportStep::Send);
constexpr unsigned kAnswer = On(TransportStep::Send) | On(TransportStep::Read);

constexpr const char* kRestart =
    "Close and start the station program again; if it happens again, restart Windows.";
constexpr const char* kAskCardOffice =
    "Ask the card office whether the transaction with this batch and sequence number (see the "
    "journal) went through; refund or charge by hand as they say.";

constexpr ErrorAdvice kErrorAdvice[] = {
    {"ERROR_INVALID_HANDLE", kConnect, "The station is short of memory or handles.", kRestart},
    {"ERROR_NOT_ENOUGH_MEMORY", kConnect | kSend, "The station is short of memory.", kRestart},
    {"ERROR_INVALID_PARAMETER", kConnect, "The Access URL, edited by hand in CSPlugin.INI, has nothing between \"https://\" "
     "and the next \"/\".",
     "Correct the Access URL in the configuration and press Test."},
    {"ERROR_INTERNET_OUT_OF_HANDLES", kSetUp,
     "The station program or another program holds too many connections.", kRestart},
    {"ERROR_INTERNET_TIMEOUT", kAnswer,
     "A time-out on Windows (30 s to send or to receive): the gateway is down or overloaded, "
     "or a firewall drops the traffic without refusing it. Under Wine a silent gateway shows "
     "[12030] instead.",
     "At Send or Read the request may have arrived: ask the card office about this batch and "
     "sequence number (see the journal) before charging again. Then check that the gateway is "
     "up and the network path to it."},
    {"ERROR_INTERNET_INTERNAL_ERROR", kSend, "A fault in Windows.", kRestart},
    {"ERROR_INTERNET_NAME_NOT_RESOLVED", kSend,
     "The host name in the Access URL is misspelt, or the station's name server does not "
     "know it or cannot be reached.",
     "Check the Access URL; on the station, `nslookup <host>` must give an address."},
    {"ERROR_INTERNET_CANNOT_CONNECT", kSend,
     "The gateway is down, the host or port in the Access URL is wrong, a firewall blocks "
     "the outgoing port (443 unless the URL names another), or the network allows web "
     "traffic only through a proxy (the plug-in connects directly).",
     "Check the Access URL; on the station, `Test-NetConnection <host> -Port 443` (or the "
     "URL's port) in PowerShell must succeed."},
    {"ERROR_INTERNET_CONNECTION_ABORTED", kAnswer,
     "On Windows: the network, a firewall or the gateway cut the connection. Under Wine also a "
     "gateway that never answers (after the 30 s receive time-out) and one that resets the "
     "connection after reading the request.",
     kAskCardOffice},
    {"ERROR_INTERNET_CONNECTION_RESET", kAnswer,
     "The gateway, a load balancer or a firewall closed the connection, after or before the "
     "request arrived.",
     kAskCardOffice},
    {"ERROR_INTERNET_SEC_CERT_DATE_INVALID", kSend,
     "The certificate has lapsed, or the station's clock is wrong. Only refused with "
     "StrictCertificates=1.",
     "Check the station's date and time; ask the card office to renew the certificate."},
    {"ERROR_INTERNET_SEC_CERT_CN_INVALID", kSend,
     "The Access URL names the gateway differently from its certificate (an IP address, "
     "say). Only refused with StrictCertificates=1.",
     "Put the name the certificate is made out for (the Test shows it) into the Access URL."},
    {"ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED", kSend,
     "The gateway is set up for certificates on both sides.",
     "Ask the card office to accept the station without a client certificate."},
    {"ERROR_INTERNET_INVALID_CA", kSend,
     "The certificate authority's root certificate is not in the station's Windows store.",
     "Import the authority's certificate into Local Computer > Trusted Root Certification "
     "Authorities (see Installation)."},
    {"ERROR_INTERNET_SEC_CERT_ERRORS", kSend,
     "More than one thing is wrong with the certificate.",
     "Ask the card office to check the gateway's certificate."},
    {"ERROR_INTERNET_SEC_CERT_NO_REV", kSend,
     "The station cannot reach the authority's revocation servers.",
     "Let the station reach the addresses named in the certificate's revocation entries."},
    {"ERROR_INTERNET_SEC_CERT_REV_FAILED", kSend,
     "The station cannot reach the authority's revocation servers (CRL or OCSP), or they "
     "do not answer.",
     "Let the station reach the addresses named in the certificate's revocation entries."},
    {"ERROR_HTTP_HEADER_NOT_FOUND", On(TransportStep::QueryStatus),
     "Something other than the gateway answered, or the answer was cut off.", kAskCardOffice},
    {"ERROR_HTTP_INVALID_SERVER_RESPONSE", kAnswer,
     "Another service answers at this address, or the gateway failed in the middle of its "
     "answer.",
     kAskCardOffice},
    {"ERROR_INTERNET_SECURITY_CHANNEL_ERROR", kSend,
     "The station and the gateway have no TLS version in common (an old Windows without "
     "TLS 1.2), or something on the way interferes with TLS.",
     "Install the Windows updates and turn on TLS 1.2 (Internet Options > Advanced)."},
    {"ERROR_INTERNET_DISCONNECTED", kSend,
     "The station's network connection is down.", "Reconnect the station to the network."},
    {"ERROR_INTERNET_SEC_INVALID_CERT", kSend,
     "The certificate is damaged or of a kind Windows does not accept.",
     "Ask the card office to check the gateway's certificate."},
    {"ERROR_INTERNET_SEC_CERT_REVOKED", kSend,
     "Its authority has withdrawn the certificate.",
     "Ask the card office for the gateway's new certificate."},
    {"ERROR_INTERNET_DECODING_FAILED", kAnswer,
     "The answer was sent in an encoding Windows could not undo.", kAskCardOffice},
};

constexpr StatusAdvice kStatusAdvice[] = {
    {0,
     "The gateway or something on the way reset the connection once it had read the request. "
     "Under Wine such a reset may show as Error: HTTP Send [12030] instead.",
     kAskCardOffice},
    {400, "The path of the Access URL leads to something that is not the gateway.",
     "Check the path of the Access URL with the card office."},
    {403, "The gateway accepts only known stations, by address or certificate.",
     "Ask the card office to admit the station."},
    {404, "The path of the Access URL is wrong.", "Correct the path of the Access URL."},
    {500, "A fault at the gateway, possibly after it had processed the transaction.", kAskCardOffice},
    {502, "The gateway behind the proxy failed, possibly after processing the transaction.",
     kAskCardOffice},
    {503, "Maintenance or overload at the gateway, or a proxy in front of it that has lost it.",
     kAskCardOffice},
    {504, "The gateway is slow or down; it may still have processed the transaction.",
     kAskCardOffice},
};


// Advice for one of the plug-in's own error numbers (records/file_errors.h).
struct PluginErrorAdvice {
  unsigned long error;
  const char* cause;
  const char* fix;
};

constexpr PluginErrorAdvice kPluginErrorAdvice[] = {
    {kPathTooLong,
     "The plug-in was installed in a folder nested too deep: the path of CSPlugin.INI, "
     "CSBatchSeq.INI or a journal file beside it would not fit the plug-in's buffers.",
     "Install the plug-in in a folder with a shorter path."},
    {kStoreTooLarge,
     "CSBatchSeq.INI holds some two thousand batches or more, or another file was put in its "
     "place.",
     "Move CSBatchSeq.INI away: the numbers of each batch continue from the journal."},
    {kLockNotGiven,
     "A station sharing the folder hangs while taking a number, or a program keeps "
     "CSBatchSeq.lck open.",
     "Try again; if it lasts, close the program that holds CSBatchSeq.lck, or restart the "
     "station that hangs."},
    {kNotReadBack,
     "The folder reported the number written but gave back another: a network share or a "
     "synchronising program that keeps a copy of its own, or another program writing the file.",
     "Keep the plug-in's folder on a local disk or a share that writes through; stop the "
     "program that writes CSBatchSeq.INI."},
    {kShortWrite,
     "The disk or share took fewer bytes than it was given and reported no error: it is full "
     "or failing.",
     "Free disk space; have the disk or the share checked."},
    {kRedirected,
     "The folder refused this account's write, and Windows put the file into the account's "
     "%LOCALAPPDATA%\\VirtualStore instead (a 32-bit station program without a manifest): each "
     "account would keep numbers and journal of its own.",
     "Set DataFolder to a folder every user of the station may change (ADMIN.md, \"Installing\"), "
     "and delete the copies under %LOCALAPPDATA%\\VirtualStore."},
};

constexpr TransportStep kStepsInGuideOrder[] = {
    TransportStep::Connect, TransportStep::OpenRequest, TransportStep::Send,
    TransportStep::QueryStatus, TransportStep::Read};

// A printf format of the plug-in's own, formatted.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(text, sizeof text, format, args...);
#pragma GCC diagnostic pop
  return text;
}

std::string FailureText(const TransportResult& result) {
  char text[64];
  FormatTransportFailure(result, text, sizeof text);
  return text;
}

// A shown text with its conversions as the guide names them: numbers N, texts PATH. A
// format that begins with "%s" puts a line break there when one is needed: nothing;
// so does a leading line break.
std::string Shown(const char* format) {
  if (std::strncmp(format, "%s", 2) == 0) format += 2;
  if (format[0] == '\n') ++format;
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (std::strncmp(p, "%lu", 3) == 0) {
      text += 'N';
      p += 2;
    } else if (std::strncmp(p, "%d", 2) == 0) {
      text += 'N';
      ++p;
    } else if (std::strncmp(p, "%s", 2) == 0) {
      text += "PATH";
      ++p;
    } else {
      text += *p;
    }
  }
  return text;
}

// A shown text whose last conversion is an error number as FormatErrorNumber writes it
// (error), its other texts PATH.
std::string ShownWithError(const char* format, const std::string& error) {
  const std::string shown = Shown(format);
  const size_t last = shown.rfind("PATH");
  return shown.substr(0, last) + error + shown.substr(last + 4);
}

// The text of one of the plug-in's own error numbers, as the user sees it.
std::string PluginErrorShown(unsigned long error) {
  char text[kErrorNumberTextSize];
  FormatErrorNumber(error, text, sizeof text);
  return text;
}

// Windows' number, as a shown text has it.
constexpr const char* kWindowsError = "error N";

// A cell: '|' escaped, each line of a shown text as code, line breaks as <br>.
std::string Cell(const std::string& text, bool code) {
  std::string cell;
  std::string line;
  auto flush = [&] {
    if (!cell.empty()) cell += "<br>";
    cell += code ? "`" + line + "`" : line;
    line.clear();
  };
  for (char c : text) {
    if (c == '\n') {
      flush();
    } else if (c == '|') {
      line += "\\|";
    } else {
      line += c;
    }
  }
  if (!line.empty() || cell.empty()) flush();
  return cell;
}

const char* Money(MoneyMoved money) {
  switch (money) {
    case MoneyMoved::No:
      return "No";
    case MoneyMoved::Maybe:
      return "**Maybe**: ask the card office";
    case MoneyMoved::Yes:
      break;
  }
  return "**Yes**: the card was charged";
}

MoneyMoved MoneyAfter(const TransportResult& result) {
  return RequestMayHaveArrived(result) ? MoneyMoved::Maybe : MoneyMoved::No;
}

void Row(std::string& table, const std::string& shown, const std::string& meaning,
         const std::string& cause, const std::string& fix, MoneyMoved money) {
  table += "| " + Cell(shown, true) + " | " + Cell(meaning, false) + " | " + Cell(cause, false) +
           " | " + Cell(fix, false) + " | " + Money(money) + " |\n";
}

const TransportError* ErrorNamed(const char* name) {
  for (const TransportError& error : TransportErrors()) {
    if (std::strcmp(error.name, name) == 0) return &error;
  }
  return nullptr;
}

// format with each conversion replaced by the next of values, in order.
std::string Fill(const char* format, std::initializer_list<const char*> values) {
  std::string text;
  const char* const* value = values.begin();
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      text += *p;
      continue;
    }
    while (p[1] != '\0' && std::strchr("sdu", p[1]) == nullptr) ++p;  // flags, width, length
    ++p;
    if (value != values.end()) text += *value++;
  }
  return text;
}

std::string Declined(const char* code, const char* message) {
  return Format(kDeclinedFormat, code, message);
}

// One text that is not a failed step of the exchange.
struct Trouble {
  std::string shown;
  std::string meaning;
  const char* cause;
  const char* fix;
  MoneyMoved money;
};

// The gateway's usual refusals, as a charge or deposit shows them.
struct Refusal {
  const char* code;
  const char* message;
  const char* meaning;
  const char* cause;
  const char* fix;
};

constexpr Refusal kRefusals[] = {
    {"05", "DECLINED", "The card office declined the card.",
     "The card is blocked or not allowed to pay here.", "The card holder asks the card office."},
    {"13", "INVALID AMOUNT", "The gateway refused the amount.",
     "An amount of 0 or less (a free print job charged, say).", "Check the station program's prices."},
    {"14", "INVALID CARD", "The gateway does not know the card number.",
     "A card of another system, a misread swipe, or a mistyped number.",
     "Swipe again, or type the number printed on the card."},
    {"30", "FORMAT ERROR", "The gateway could not read the request.",
     "Merchant ID, Terminal ID, batch or category code do not match what the gateway expects.",
     "Check the merchant settings with the card office, then press Test."},
    {"51", "INSUFFICIENT FUNDS", "The card's account holds too little.",
     "The balance is below the amount.", "The card holder tops up the card account."},
    {"54", "EXPIRED CARD", "The card has expired.", "An old card.",
     "The card holder asks the card office for a new card."},
    {"57", "TRANSACTION NOT PERMITTED", "The card may not pay for this.",
     "The card's kind of account does not allow payments at this merchant.",
     "The card holder asks the card office."},
    {"62", "RESTRICTED CARD", "The card is restricted.",
     "The card office has limited what the card may pay for.", "The card holder asks the card office."},
    {"91", "ISSUER UNAVAILABLE", "The card system behind the gateway is down.",
     "Maintenance or a fault at the card office.", "Try again later."},
    {"96", "SYSTEM MALFUNCTION", "The gateway failed.", "A fault at the gateway.",
     "Try again later; tell the card office if it lasts."},
};

std::vector<Trouble> OtherTroubles(const GuideLimits& limits) {
  std::vector<Trouble> rows;
  rows.push_back({FailureText(TransportResult{TransportStep::SplitUrl, 0, 0}),
                  "The Access URL is not of the form https://host/path or https://host:port/path; "
                  "nothing was sent.",
                  "The URL was edited by hand in CSPlugin.INI: it lacks the host or the \"/\" after "
                  "it, or its port is not a number from 1 to 65535.",
                  "Correct the Access URL in the configuration and press Test.", MoneyMoved::No});
  for (const Refusal& refusal : kRefusals) {
    rows.push_back({Declined(refusal.code, refusal.message), refusal.meaning, refusal.cause,
                    refusal.fix, MoneyMoved::No});
  }
  rows.push_back({Declined(kDefaultResponseCode, kDefaultResponseMessage),
                  "The answer held no response code the plug-in could read (its fourth field is "
                  "shorter than nine characters, or missing). The message after [99] is whatever "
                  "the answer carried in its message field, often \"Unknown data\".",
                  "Something other than the gateway answered on this address (a maintenance page), "
                  "or the gateway's answer was empty or cut off.",
                  kAskCardOffice, MoneyMoved::Maybe});
  rows.push_back({std::string(kErrorTextPrefix) + " ...",
                  PlainLineFor(TransportResult{}, kErrorTextPrefix),
                  "The gateway refused or failed the transaction and said so in a text instead of "
                  "a reply with a response code.",
                  kAskCardOffice, MoneyMoved::Maybe});
  rows.push_back({Format(kTestResultFormat, "NN", "..."),
                  std::string("The configuration Test reached the gateway, which refused the test "
                              "transaction (box \"") +
                      kTestErrorCaption + "\"); \"" + kApprovedCode + "\" in a box \"" +
                      kTestApprovedCaption + "\" means the connection works.",
                  "The codes mean what they mean for a charge (see above).",
                  "Check the merchant settings and the test account number with the card office.",
                  MoneyMoved::No});
  rows.push_back({kInvalidCardText,
                  "The card number does not begin with the card prefix of the settings.",
                  "A card of another system, a misread swipe, or a wrong Card prefix sequence match.",
                  "Swipe again; check the prefix in the configuration.", MoneyMoved::No});
  rows.push_back({kWorkerNotStartedText, "Windows did not start the thread that talks to the gateway.",
                  "The station is short of memory or threads.", kRestart, MoneyMoved::No});
  rows.push_back({kEarlierWorkerRunningText,
                  "The exchange of an earlier charge or deposit is still waiting for the gateway: the "
                  "station program closed that dialog before its answer came.",
                  "A slow or silent gateway; every wait ends within about a minute.",
                  "Wait a minute and try again; the journal shows the earlier transaction.",
                  MoneyMoved::No});
  rows.push_back({Shown(kDepositFailedFormat),
                  "The gateway approved the deposit, so the card was charged, but the station program "
                  "could not book it into the print account; N is the station program's error number.",
                  "A fault in the station program or its account database.",
                  "Credit the print account by hand (the journal's \"booking failed\" line has the "
                  "amount, batch and sequence number); look up N in the station program's documentation.",
                  MoneyMoved::Yes});
  rows.push_back({kNoDepositText,
                  "The station program offers the plug-in no way to credit print accounts.",
                  "A station program without a deposit function.",
                  "Use a station program that offers deposits, or do not offer deposits at this station.",
                  MoneyMoved::No});
  rows.push_back({kEarlierWorkerRunningLine,
                  "The configuration's Test sent nothing: the exchange of an earlier charge or deposit "
                  "is still waiting for the gateway.",
                  "The station program closed a charge or deposit dialog before its answer came.",
                  "Wait a minute and press Test again.", MoneyMoved::No});
  rows.push_back({ShownWithError(kSaveFailedFormat, kWindowsError),
                  "Save could not write CSPlugin.INI; the dialog stays open and what was written before "
                  "the failure stays written. The settings in effect stay as they were until a Save "
                  "succeeds.",
                  "Error 5: the station program's user may not write the plug-in's folder or the file "
                  "is read-only; 32: another program (an editor) holds the file; 3: the folder is gone.",
                  "Give the station program's user the right to write the file, close the program that "
                  "holds it, then press Save again.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kJournalFailedFormat, kWindowsError),
                  "After a Test: the record of the Test's outcome could not be written to the journal "
                  "(the Test itself was recorded before it was sent).",
                  "Error 112: the disk is full; 5: the station program's user may not write the "
                  "plug-in's folder; 32 or 33: other programs hold the month's file and every side "
                  "file. A plug-in error: see the table below.",
                  "Free disk space, give the station program's user the right to write the folder, or "
                  "close the programs that hold the files; press Test again to see the line gone.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kJournalSideFormat, kWindowsError),
                  "After a Test: a spreadsheet or another program holds this month's journal file, so "
                  "records go to the side file named (CSJournal-YYYY-MM-2.csv), which has the same "
                  "columns. Nothing is lost.",
                  "The journal was opened in a spreadsheet in place, not copied first.",
                  "Close the program that holds the month's file; keep the side file with the journal.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kStoreNotStoredFormat, kWindowsError),
                  "The charge, deposit or Test was not sent: its sequence number could not be stored "
                  "and read back from PATH (CSBatchSeq.INI, or CSBatchSeq.lck or CSBatchSeq.new "
                  "beside it, whichever failed).",
                  "Error 112: the disk is full; 5: the file or the folder is read-only, or the station "
                  "program's user may not write it; 32: another program holds the file. A virus "
                  "scanner or backup agent that has the file for a moment is waited for a quarter of "
                  "a second first. A plug-in error (the file did not read back the number written, "
                  "say): see the table below.",
                  "Free disk space, give the station program's user the right to write the folder and "
                  "the file, close the program that holds it, then press Test.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kStoreLockedFormat, PluginErrorShown(kLockNotGiven)),
                  "The charge, deposit or Test was not sent: another station (or program) held the "
                  "sequence numbers' lock file PATH for more than five seconds.",
                  "A station sharing the folder hangs while taking a number, or a program keeps "
                  "CSBatchSeq.lck open.",
                  "Try again; if it lasts, close the program that holds CSBatchSeq.lck, or restart the "
                  "station that hangs.",
                  MoneyMoved::No});
  rows.push_back({Shown(kStoreDamagedFormat),
                  "The charge, deposit or Test was not sent: the sequence number file is damaged, or "
                  "holds for batch N a value that is not a number from 0 to 999999. It is not read as "
                  "0, since that would send numbers again.",
                  "The file was edited by hand, or cut off by a full disk or another program.",
                  "Look up the batch's latest sequence number in the journal and put it as SeqNumber "
                  "under [BatchNNNNNN] (whole lines, each ending with a line end); or delete "
                  "CSBatchSeq.INI, and the numbers continue from the journal.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kJournalUnreadableFormat, kWindowsError),
                  "The charge, deposit or Test was not sent: the journal, which has the last word on "
                  "the numbers sent, could not be read (PATH is a month's file, or the folder's "
                  "CSJournal-*.csv when the folder could not be listed). It is read at the first "
                  "transaction after the station program starts, and when CSBatchSeq.INI was changed "
                  "by someone else.",
                  "Error 32: a program holds the journal file without letting others read it; 5: the "
                  "station program's user may not read it or list the folder.",
                  "Close the program that holds the journal file, or give the station program's user "
                  "the right to read it, then try again.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kSendingNotWrittenFormat, kWindowsError),
                  "The charge, deposit or Test was not sent: its \"sending\" record could not be "
                  "written to the journal PATH, and no request leaves without it.",
                  "Error 112: the disk is full; 5: the station program's user may not write the "
                  "plug-in's folder; 32 or 33: other programs hold the month's file and every side "
                  "file. A plug-in error: see the table below.",
                  "Free disk space or give the station program's user the right to write the folder; "
                  "Journal=0 turns the journal off.",
                  MoneyMoved::No});
  rows.push_back({ShownWithError(kSaveNoPathFormat, PluginErrorShown(kPathTooLong)),
                  "The plug-in's own path is too long to name a settings file beside it.",
                  "The plug-in was installed in a folder nested too deep.",
                  "Install the plug-in in a folder with a shorter path.", MoneyMoved::No});
  rows.push_back({Fill(kCertificateOtherHostFormat + 1, {"HOST", "HOST"}),
                  "After a Test: the gateway's certificate is not made out to the Access URL's host, "
                  "and only the lenient checks (StrictCertificates=0, or no key) let it pass.",
                  "The URL names the gateway by an address or another name than its certificate; or "
                  "the certificate is for another server, which is what an interception looks like.",
                  "Write the Access URL with the name shown under \"Certificate issued to\", press "
                  "Test, and set StrictCertificates=1; if the name is not the gateway's, ask the card "
                  "office before sending anything.",
                  MoneyMoved::No});
  rows.push_back({Shown(kCertificateExpiresInDaysFormat),
                  Format("After a Test: the gateway's certificate runs out within %d days (or today, "
                         "or has run out: \"expires today\", \"has expired\").",
                         limits.certificateWarningDays),
                  "The card office has not renewed it yet.",
                  "Ask the card office to renew it in time; with StrictCertificates=1 charges fail "
                  "once it has expired.",
                  MoneyMoved::No});
  rows.push_back({Format(kAmountRefusedFormat, limits.minDepositUnits, limits.maxDepositUnits),
                  "The amount typed does not begin with a number, or its whole units lie outside "
                  "that range. A fraction is dropped, not refused: 5.99 deposits 5.00.",
                  "A typing slip.", "Type an amount in whole units.", MoneyMoved::No});
  std::string otherStatus = FailureText(TransportResult{TransportStep::CheckStatus, 0, 0});
  otherStatus.erase(otherStatus.find('[') + 1);
  rows.push_back({otherStatus + "N] (a status not listed above: 401, 405, 429, ...)",
                  "The gateway's server answered with another HTTP status than 200.",
                  "4xx: the server refused the request itself (401, 403 not admitted; 405 the path "
                  "does not take a POST; 429 too many requests). 5xx: a fault at or before the "
                  "gateway, possibly after it processed the transaction.",
                  "4xx: check the Access URL and the station's admission with the card office. 5xx: "
                  "ask the card office about this batch and sequence number (see the journal) before "
                  "charging again.",
                  MoneyMoved::Maybe});
  rows.push_back({Fill(kRefusedFormat, {"PATH", "KEY", "VALUE", "N", "N"}),
                  "BatchNumber or MerchantCode in CSPlugin.INI is out of range or not a number; every "
                  "charge, deposit and Test stops before anything is sent.",
                  "CSPlugin.INI was edited by hand.",
                  "Open the configuration, type the right value in the empty field and press Save "
                  "(an empty field is refused).",
                  MoneyMoved::No});
  rows.push_back({Fill(kRefusedFolderFormat, {"PATH", "KEY", "VALUE", "N"}),
                  "DataFolder in CSPlugin.INI is not the full path of a folder, or too long; every "
                  "charge, deposit and Test stops before anything is written or sent, rather than "
                  "count sequence numbers in another folder.",
                  "CSPlugin.INI was edited by hand.",
                  "Write the folder's full path (C:\\ProgramData\\CardSmith\\Station) and restart the "
                  "station program.",
                  MoneyMoved::No});
  rows.push_back({Fill(kDataFolderFaultFormat, {"PATH", "error N"}),
                  "The Test sent nothing: the plug-in cannot create files in its data folder. After "
                  "Save, the settings were saved all the same (\"The settings were saved to PATH.\" "
                  "comes first).",
                  "Error 3: the folder does not exist; 5: this account may not create files there; "
                  "plug-in error 1006: Windows redirected the file into the user's VirtualStore.",
                  "Make the folder with prepare-station.cmd or the MSI (ADMIN.md, \"Installing\"), "
                  "then press Test.",
                  MoneyMoved::No});
  rows.push_back({Fill(kNumberFieldFormat, {"FIELD", "N", "N"}),
                  "The configuration's Save or Test found the batch number or the merchant category "
                  "code empty, not a number, or out of range; nothing was saved or sent, and the "
                  "dialog stays open on that field.",
                  "A field left empty (one the settings file got wrong opens empty), or a typing slip.",
                  "Type a number in the range named and press Save or Test again.", MoneyMoved::No});
  rows.push_back({Fill(kOnOffFaultFormat, {"", "KEY", "VALUE", "on"}),
                  "After a Test: an on/off key of CSPlugin.INI (Journal, StrictCertificates) holds "
                  "another value; its default is in effect (\"on\" or \"off\" says which).",
                  "CSPlugin.INI was edited by hand.",
                  "Write one of the values named, and restart the station program.", MoneyMoved::No});
  return rows;
}

}  // namespace

GuideLimits ProductLimits() { return {kMinDepositUnits, kMaxDepositUnits, kCertificateWarningDays}; }

std::string TroubleshootingTable(const GuideLimits& limits) {
  std::string table =
      "| What the user sees | What it means | Likely cause | What to do | Money moved? |\n"
      "|---|---|---|---|---|\n";
  for (TransportStep step : kStepsInGuideOrder) {
    for (const ErrorAdvice& advice : kErrorAdvice) {
      if ((advice.steps & On(step)) == 0) continue;
      const TransportError* error = ErrorNamed(advice.name);
      if (error == nullptr) continue;  // AdvisedErrorNames lets a test find it
      const TransportResult result{step, error->number, 0};
      Row(table, FailureText(result), error->meaning, advice.cause, advice.fix, MoneyAfter(result));
    }
  }
  for (const StatusAdvice& advice : kStatusAdvice) {
    const TransportResult result{TransportStep::CheckStatus, 0, advice.status};
    const char* plainLine = PlainLineFor(result, "");
    Row(table, FailureText(result), plainLine != nullptr ? plainLine : "", advice.cause, advice.fix,
        MoneyAfter(result));
  }
  for (const Trouble& trouble : OtherTroubles(limits)) {
    Row(table, trouble.shown, trouble.meaning, trouble.cause, trouble.fix, trouble.money);
  }
  // The plug-in's own numbers, apart from Windows': they stand in the texts above
  // where Windows had no number for what went wrong.
  table +=
      "\nThe plug-in's own error numbers, shown as `plug-in error N: ...` in the brackets of "
      "the texts above where Windows has no number for what went wrong:\n\n"
      "| What the user sees | Likely cause | What to do |\n"
      "|---|---|---|\n";
  for (const PluginErrorAdvice& advice : kPluginErrorAdvice) {
    table += "| " + Cell(PluginErrorShown(advice.error), true) + " | " + Cell(advice.cause, false) +
             " | " + Cell(advice.fix, false) + " |\n";
  }
  return table;
}

std::vector<std::string> AdvisedErrorNames() {
  std::vector<std::string> names;
  for (const ErrorAdvice& advice : kErrorAdvice) names.push_back(advice.name);
  return names;
}
