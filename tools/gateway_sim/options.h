#pragma once
#include <string>
#include <vector>

#include "tools/gateway_sim/behaviour.h"

// The command line of gateway_sim. Every option takes its value either as the next
// argument or after '=' (--port 8443, --port=8443).
namespace gwsim {

inline constexpr const char* kDefaultAddress = "127.0.0.2";
inline constexpr int kDefaultPort = 443;
inline constexpr const char* kDefaultPath = "/ipsx/gateway";

struct Options {
  std::string address = kDefaultAddress;
  int port = kDefaultPort;
  std::string path = kDefaultPath;
  std::string certFile;
  std::string keyFile;
  std::string makeCertDir;     // --make-cert: certificate and key made here if missing
  std::string accountsFile;    // none: every card is unknown
  std::string journalFile;     // none: no journal
  std::string readyFile;
  std::string sentTimesFile;   // none: the reply times are not kept
  std::string settlementFile;  // none: no settlement is exported
  Behaviour behaviour;         // for every request whose card has none of its own
  bool quiet = false;          // no journal lines on stdout
  bool help = false;
  bool version = false;
};

// False with a one-line reason in error for an unknown option, a missing or bad
// value, or a certificate given both ways or not at all (unless help or version).
bool ParseOptions(const std::vector<std::string>& arguments, Options& options,
                  std::string& error);

// The usage text printed by --help; its first line names the version.
const char* UsageText();

}  // namespace gwsim
