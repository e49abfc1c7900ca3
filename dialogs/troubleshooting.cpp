#include "dialogs/troubleshooting.h"

#include "dialogs/charge_dialog.h"
#include "dialogs/configure_dialog.h"
#include "dialogs/deposit_dialog.h"
#include "dialogs/not_sent_text.h"
#include "dialogs/transaction_dialog.h"

namespace {

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

constexpr TransportAdvice kTransportAdvice[] = {
    {6, kConnect, "The station is short of memory or handles.", kRestart},
    {8, kConnect | kSend, "The station is short of memory.", kRestart},
    {87, kConnect, "The Access URL, edited by hand in CSPlugin.INI, has nothing between \"https://\" "
     "and the next \"/\".",
     "Correct the Access URL in the configuration and press Test."},
    {12001, kSetUp,
     "The station program or another program holds too many connections.", kRestart},
    {12002, kAnswer,
     "A time-out on Windows (30 s to send or to receive): the gateway is down or overloaded, "
     "or a firewall drops the traffic without refusing it. Under Wine a silent gateway shows "
     "[12030] instead.",
     "At Send or Read the request may have arrived: ask the card office about this batch and "
     "sequence number (see the journal) before charging again. Then check that the gateway is "
     "up and the network path to it."},
    {12004, kSend, "A fault in Windows.", kRestart},
    {12007, kSend,
     "The host name in the Access URL is misspelt, or the station's name server does not "
     "know it or cannot be reached.",
     "Check the Access URL; on the station, `nslookup <host>` must give an address."},
    {12029, kSend,
     "The gateway is down, the host or port in the Access URL is wrong, a firewall blocks "
     "the outgoing port (443 unless the URL names another), or the network allows web "
     "traffic only through a proxy (the plug-in connects directly).",
     "Check the Access URL; on the station, `Test-NetConnection <host> -Port 443` (or the "
     "URL's port) in PowerShell must succeed."},
    {12030, kAnswer,
     "On Windows: the network, a firewall or the gateway cut the connection. Under Wine also a "
     "gateway that never answers (after the 30 s receive time-out) and one that resets the "
     "connection after reading the request.",
     kAskCardOffice},
    {12031, kAnswer,
     "The gateway, a load balancer or a firewall closed the connection, after or before the "
     "request arrived.",
     kAskCardOffice},
    {12037, kSend,
     "The certificate has lapsed, or the station's clock is wrong. Only refused with "
     "StrictCertificates=1.",
     "Check the station's date and time; ask the card office to renew the certificate."},
    {12038, kSend,
     "The Access URL names the gateway differently from its certificate (an IP address, "
     "say). Only refused with StrictCertificates=1.",
     "Put the name the certificate is made out for (the Test shows it) into the Access URL."},
    {12044, kSend,
     "The gateway is set up for certificates on both sides.",
     "Ask the card office to accept the station without a client certificate."},
    {12045, kSend,
     "The certificate authority's root certificate is not in the station's Windows store.",
     "Import the authority's certificate into Local Computer > Trusted Root Certification "
     "Authorities (see Installation)."},
    {12055, kSend,
     "More than one thing is wrong with the certificate.",
     "Ask the card office to check the gateway's certificate."},
    {12056, kSend,
     "The station cannot reach the authority's revocation servers.",
     "Let the station reach the addresses named in the certificate's revocation entries."},
    {12057, kSend,
     "The station cannot reach the authority's revocation servers (CRL or OCSP), or they "
     "do not answer.",
     "Let the station reach the addresses named in the certificate's revocation entries."},
    {12150, On(TransportStep::QueryStatus),
     "Something other than the gateway answered, or the answer was cut off.", kAskCardOffice},
    {12152, kAnswer,
     "Another service answers at this address, or the gateway failed in the middle of its "
     "answer.",
     kAskCardOffice},
    {12157, kSend,
     "The station and the gateway have no TLS version in common (an old Windows without "
     "TLS 1.2), or something on the way interferes with TLS.",
     "Install the Windows updates and turn on TLS 1.2 (Internet Options > Advanced)."},
    {12163, kSend,
     "The station's network connection is down.", "Reconnect the station to the network."},
    {12169, kSend,
     "The certificate is damaged or of a kind Windows does not accept.",
     "Ask the card office to check the gateway's certificate."},
    {12170, kSend,
     "Its authority has withdrawn the certificate.",
     "Ask the card office for the gateway's new certificate."},
    {12175, kAnswer,
     "The answer was sent in an encoding Windows could not undo.", kAskCardOffice},
};

constexpr StatusAdvice kStatusAdvice[] = {
    {0, "The connection closed after the request, before the gateway answered.",
     "The gateway or something on the way reset the connection once it had read the request. "
     "Under Wine such a reset may show as Error: HTTP Send [12030] instead.",
     kAskCardOffice},
    {400, "The gateway's server refused the request as malformed (HTTP 400).",
     "The path of the Access URL leads to something that is not the gateway.",
     "Check the path of the Access URL with the card office."},
    {403, "The gateway's server refuses this station (HTTP 403).",
     "The gateway accepts only known stations, by address or certificate.",
     "Ask the card office to admit the station."},
    {404, "There is no gateway at this path of the server (HTTP 404).",
     "The path of the Access URL is wrong.", "Correct the path of the Access URL."},
    {500, "The gateway's server failed while handling the request (HTTP 500).",
     "A fault at the gateway, possibly after it had processed the transaction.", kAskCardOffice},
    {502, "A proxy in front of the gateway got no valid answer from it (HTTP 502).",
     "The gateway behind the proxy failed, possibly after processing the transaction.",
     kAskCardOffice},
    {503, "The gateway is out of service for now (HTTP 503).",
     "Maintenance or overload at the gateway, or a proxy in front of it that has lost it.",
     kAskCardOffice},
    {504, "A proxy in front of the gateway gave up waiting for it (HTTP 504).",
     "The gateway is slow or down; it may still have processed the transaction.",
     kAskCardOffice},
};

constexpr Trouble kOtherTroubles[] = {
    {"Error: Invalid URL",
     "The Access URL is not of the form https://host/path or https://host:port/path; nothing "
     "was sent.",
     "The URL was edited by hand in CSPlugin.INI: it lacks the host or the \"/\" after it, or "
     "its port is not a number from 1 to 65535.",
     "Correct the Access URL in the configuration and press Test.", MoneyMoved::No},
    {"Transaction error:\n[05] DECLINED", "The card office declined the card.",
     "The card is blocked or not allowed to pay here.",
     "The card holder asks the card office.", MoneyMoved::No},
    {"Transaction error:\n[13] INVALID AMOUNT", "The gateway refused the amount.",
     "An amount of 0 or less (a free print job charged, say).",
     "Check the station program's prices.", MoneyMoved::No},
    {"Transaction error:\n[14] INVALID CARD", "The gateway does not know the card number.",
     "A card of another system, a misread swipe, or a mistyped number.",
     "Swipe again, or type the number printed on the card.", MoneyMoved::No},
    {"Transaction error:\n[30] FORMAT ERROR", "The gateway could not read the request.",
     "Merchant ID, Terminal ID, batch or category code do not match what the gateway expects.",
     "Check the merchant settings with the card office, then press Test.", MoneyMoved::No},
    {"Transaction error:\n[51] INSUFFICIENT FUNDS", "The card's account holds too little.",
     "The balance is below the amount.", "The card holder tops up the card account.",
     MoneyMoved::No},
    {"Transaction error:\n[54] EXPIRED CARD", "The card has expired.", "An old card.",
     "The card holder asks the card office for a new card.", MoneyMoved::No},
    {"Transaction error:\n[57] TRANSACTION NOT PERMITTED", "The card may not pay for this.",
     "The card's kind of account does not allow payments at this merchant.",
     "The card holder asks the card office.", MoneyMoved::No},
    {"Transaction error:\n[62] RESTRICTED CARD", "The card is restricted.",
     "The card office has limited what the card may pay for.",
     "The card holder asks the card office.", MoneyMoved::No},
    {"Transaction error:\n[91] ISSUER UNAVAILABLE", "The card system behind the gateway is down.",
     "Maintenance or a fault at the card office.", "Try again later.", MoneyMoved::No},
    {"Transaction error:\n[96] SYSTEM MALFUNCTION", "The gateway failed.",
     "A fault at the gateway.", "Try again later; tell the card office if it lasts.",
     MoneyMoved::No},
    {"Transaction error:\n[99] Unknown data",
     "The answer held no response code the plug-in could read (its fourth field is shorter "
     "than nine characters, or missing). The message after [99] is whatever the answer "
     "carried in its message field, often \"Unknown data\".",
     "Something other than the gateway answered on this address (a maintenance page), or the "
     "gateway's answer was empty or cut off.",
     kAskCardOffice, MoneyMoved::Maybe},
    {"Response Code: NN\nMessage: ...",
     "The configuration Test reached the gateway, which refused the test transaction (box "
     "\"Error\"); \"00\" in a box \"Success!\" means the connection works.",
     "The codes mean what they mean for a charge (see above).",
     "Check the merchant settings and the test account number with the card office.",
     MoneyMoved::No},
    {kInvalidCardText, "The card number does not begin with the card prefix of the settings.",
     "A card of another system, a misread swipe, or a wrong Card prefix sequence match.",
     "Swipe again; check the prefix in the configuration.", MoneyMoved::No},
    {kWorkerNotStartedText, "Windows did not start the thread that talks to the gateway.",
     "The station is short of memory or threads.", kRestart, MoneyMoved::No},
    {kEarlierWorkerRunningText,
     "The exchange of an earlier charge or deposit is still waiting for the gateway: the "
     "station program closed that dialog before its answer came.",
     "A slow or silent gateway; every wait ends within about a minute.",
     "Wait a minute and try again; the journal shows the earlier transaction.", MoneyMoved::No},
    {kDepositFailedFormat,
     "The gateway approved the deposit, so the card was charged, but the station program "
     "could not book it into the print account; N is the station program's error number.",
     "A fault in the station program or its account database.",
     "Credit the print account by hand (the journal's \"booking failed\" line has the "
     "amount, batch and sequence number); look up N in the station program's documentation.",
     MoneyMoved::Yes},
    {kNoDepositText, "The station program offers the plug-in no way to credit print accounts.",
     "A station program without a deposit function.",
     "Use a station program that offers deposits, or do not offer deposits at this station.",
     MoneyMoved::No},
    {kEarlierWorkerRunningLine,
     "The configuration's Test sent nothing: the exchange of an earlier charge or deposit is "
     "still waiting for the gateway.",
     "The station program closed a charge or deposit dialog before its answer came.",
     "Wait a minute and press Test again.", MoneyMoved::No},
    {kSaveFailedFormat,
     "Save could not write CSPlugin.INI; the dialog stays open and what was written before "
     "the failure stays written.",
     "Error 5: the station program's user may not write the plug-in's folder or the file is "
     "read-only; 32: another program (an editor) holds the file; 3: the folder is gone.",
     "Give the station program's user the right to write the file, close the program that "
     "holds it, then press Save again.",
     MoneyMoved::No},
    {kJournalFailedFormat,
     "After a Test: the record of the Test's outcome could not be written to the journal "
     "(the Test itself was recorded before it was sent).",
     "Error 112: the disk is full; 5: the station program's user may not write the "
     "plug-in's folder; 32 or 33: other programs hold the month's file and every side file.",
     "Free disk space, give the station program's user the right to write the folder, or "
     "close the programs that hold the files; press Test again to see the line gone.",
     MoneyMoved::No},
    {kJournalSideFormat,
     "After a Test: a spreadsheet or another program holds this month's journal file, so "
     "records go to the side file named (CSJournal-YYYY-MM-2.csv), which has the same "
     "columns. Nothing is lost.",
     "The journal was opened in a spreadsheet in place, not copied first.",
     "Close the program that holds the month's file; keep the side file with the journal.",
     MoneyMoved::No},
    {kStoreNotStoredFormat,
     "The charge, deposit or Test was not sent: its sequence number could not be stored "
     "and read back from PATH (CSBatchSeq.INI, or CSBatchSeq.lck or CSBatchSeq.new beside it).",
     "Error 112: the disk is full; 5: the file or the folder is read-only, or the station "
     "program's user may not write it; 32: another program holds the file; 29: the file "
     "did not read back the number written.",
     "Free disk space, give the station program's user the right to write the folder and the "
     "file, close the program that holds it, then press Test.",
     MoneyMoved::No},
    {kStoreLockedFormat,
     "The charge, deposit or Test was not sent: another station (or program) held the "
     "sequence numbers' lock file PATH for more than five seconds.",
     "A station sharing the folder hangs while taking a number, or a program keeps "
     "CSBatchSeq.lck open.",
     "Try again; if it lasts, close the program that holds CSBatchSeq.lck, or restart the "
     "station that hangs.",
     MoneyMoved::No},
    {kStoreDamagedFormat,
     "The charge, deposit or Test was not sent: the sequence number file is damaged, or "
     "holds for batch N a value that is not a number from 0 to 999999. It is not read as 0, "
     "since that would send numbers again.",
     "The file was edited by hand, cut off by a full disk or another program, or emptied.",
     "Look up the batch's highest sequence number in the journal and put it as SeqNumber "
     "under [BatchNNNNNN] (whole lines, each ending with a line end); or delete "
     "CSBatchSeq.INI, and the numbers continue from the journal.",
     MoneyMoved::No},
    {kJournalUnreadableFormat,
     "The charge, deposit or Test was not sent: CSBatchSeq.INI has no number for the batch, "
     "and the journal that numbering continues from could not be read.",
     "Error 32: a program holds the journal file without letting others read it; 5: the "
     "station program's user may not read it.",
     "Close the program that holds the journal file, then try again.",
     MoneyMoved::No},
    {kSendingNotWrittenFormat,
     "The charge, deposit or Test was not sent: its \"sending\" record could not be written "
     "to the journal PATH, and no request leaves without it.",
     "Error 112: the disk is full; 5: the station program's user may not write the "
     "plug-in's folder; 32 or 33: other programs hold the month's file and every side file.",
     "Free disk space or give the station program's user the right to write the folder; "
     "Journal=0 turns the journal off.",
     MoneyMoved::No},
    {kSaveNoPathFormat, "The plug-in's own path is too long to name a settings file beside it.",
     "The plug-in was installed in a folder nested too deep.",
     "Install the plug-in in a folder with a shorter path.", MoneyMoved::No},
    {"Warning: the gateway's certificate expires in N days.",
     "After a Test: the gateway's certificate runs out within 30 days (or today, or has run "
     "out: \"expires today\", \"has expired\").",
     "The card office has not renewed it yet.",
     "Ask the card office to renew it in time; with StrictCertificates=1 charges fail once it "
     "has expired.",
     MoneyMoved::No},
    {"Amounts of 1 to 21474836 can be deposited.\nEnter amount to deposit:",
     "The amount typed does not begin with a number, or its whole units lie outside that "
     "range. A fraction is dropped, not refused: 5.99 deposits 5.00.",
     "A typing slip.", "Type an amount in whole units.", MoneyMoved::No},
    {"Error: HTTP Server [N] (a status not listed above: 401, 405, 429, ...)",
     "The gateway's server answered with another HTTP status than 200.",
     "4xx: the server refused the request itself (401, 403 not admitted; 405 the path does not "
     "take a POST; 429 too many requests). 5xx: a fault at or before the gateway, possibly "
     "after it processed the transaction.",
     "4xx: check the Access URL and the station's admission with the card office. 5xx: ask "
     "the card office about this batch and sequence number (see the journal) before charging "
     "again.",
     MoneyMoved::Maybe},
    {"The settings file PATH has KEY=VALUE, not a number from N to N.\nNothing was sent.",
     "BatchNumber or MerchantCode in CSPlugin.INI is out of range or not a number; every "
     "charge, deposit and Test stops before anything is sent.",
     "CSPlugin.INI was edited by hand.",
     "Open the configuration, type the right value in the empty field and press Save.",
     MoneyMoved::No},
    {"Settings: KEY=VALUE is not understood (1/0, yes/no, true/false, on/off); it stays on.",
     "After a Test: an on/off key of CSPlugin.INI (Journal, StrictCertificates) holds another "
     "value; its default is in effect (\"on\" or \"off\" says which).",
     "CSPlugin.INI was edited by hand.", "Write one of the values named, and restart the station "
     "program.", MoneyMoved::No},
};

const StatusAdvice* StatusAdviceFor(int status) {
  for (const StatusAdvice& row : kStatusAdvice) {
    if (row.status == status) return &row;
  }
  return nullptr;
}

}  // namespace

std::span<const TransportAdvice> TransportAdviceRows() { return kTransportAdvice; }
std::span<const StatusAdvice> StatusAdviceRows() { return kStatusAdvice; }
std::span<const Trouble> OtherTroubles() { return kOtherTroubles; }

const char* PlainLineFor(const char* failureText) {
  TransportStep step;
  int number = 0;
  if (!ParseTransportFailure(failureText, &step, &number)) return nullptr;
  if (step == TransportStep::CheckStatus) {
    const StatusAdvice* advice = StatusAdviceFor(number);
    return advice != nullptr ? advice->plainLine : nullptr;
  }
  const TransportError* error = FindTransportError(number);
  return error != nullptr ? error->meaning : nullptr;
}

MoneyMoved MoneyAfter(TransportStep step, int number) {
  return RequestMayHaveArrived(step, number) ? MoneyMoved::Maybe : MoneyMoved::No;
}
