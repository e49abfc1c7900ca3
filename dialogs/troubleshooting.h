#pragma once
#include <cstddef>
#include <span>

#include "gateway/transport_errors.h"

// Every text the plug-in can show that says something went wrong, with what it means,
// its likely cause, what to do, and whether money may have moved. The administrator's
// guide prints its troubleshooting table from here (tools/admin_guide), and the
// configuration Test takes from here the plain line it adds to a transport error.

enum class MoneyMoved {
  No,     // nothing reached the gateway, or the gateway refused
  Maybe,  // the request may have reached the gateway: ask the card office
  Yes,    // the card was charged
};

// One text as the user sees it. A text with printf conversions is the format the code
// shows it with; the guide prints its numbers as N and its texts as PATH.
struct Trouble {
  const char* shown;
  const char* meaning;
  const char* cause;
  const char* fix;
  MoneyMoved money;
};

// Advice for one WinINet error number (its meaning is in the transport's table), at the
// steps of the exchange where it occurs.
struct TransportAdvice {
  int number;
  unsigned steps;  // bits: 1 << TransportStep
  const char* cause;
  const char* fix;
};

// Advice for one HTTP status the gateway's server may answer with instead of 200.
struct StatusAdvice {
  int status;
  const char* plainLine;
  const char* cause;
  const char* fix;
};

std::span<const TransportAdvice> TransportAdviceRows();
std::span<const StatusAdvice> StatusAdviceRows();

// The texts that are not transport failures: the dialogs' own texts and the gateway's
// usual refusals, in the order the guide lists them.
std::span<const Trouble> OtherTroubles();

// The plain line for a transport failure text: the error number's meaning, or the
// status's plain line ("Error: HTTP Send [12029]\n" gives "Nothing answers at this
// address and port."); nullptr for any other text and for a number or status the
// tables do not know.
const char* PlainLineFor(const char* failureText);

// Whether money may have moved after a transport failure at step with number: the
// transport's own reckoning of whether the request may have reached the gateway.
MoneyMoved MoneyAfter(TransportStep step, int number);
