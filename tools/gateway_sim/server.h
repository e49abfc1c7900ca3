#pragma once
#include <string>

#include "tools/gateway_sim/certificate.h"
#include "tools/gateway_sim/exchange.h"
#include "tools/gateway_sim/journal.h"
#include "tools/gateway_sim/options.h"

// The HTTPS side of the simulator, on cpp-httplib and OpenSSL.
namespace gwsim {

// Serves options.address:options.port with identity until SIGTERM or SIGINT. Each
// request goes through gateway; its journal line is appended to journal (when open)
// and, unless options.quiet, echoed on stdout; a charge's settlement row goes to
// settlement (when open). Once listening it prints
// "listening on https://ADDR:PORT/PATH" and writes the same line to options.readyFile.
// Returns the process exit code: 0 after a signal, non-zero (with a message on
// stderr) when it cannot listen. SIGINT and SIGTERM must be blocked in the calling
// thread before any thread is started.
int Serve(const Options& options, Identity& identity, Gateway& gateway, JournalFile* journal,
          JournalFile* settlement);

}  // namespace gwsim
