// gateway_sim: a stand-in for the card payment gateway, for developers, CI and site
// administrators. See README.md.
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "product_version.h"
#include "tools/gateway_sim/accounts.h"
#include "tools/gateway_sim/certificate.h"
#include "tools/gateway_sim/exchange.h"
#include "tools/gateway_sim/journal.h"
#include "tools/gateway_sim/options.h"
#include "tools/gateway_sim/server.h"
#include "tools/gateway_sim/settlement.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitStartFailed = 1;

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "gateway_sim: %s\n", message.c_str());
  return code;
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    error = "cannot read accounts file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream contents;
  contents << stream.rdbuf();
  text = contents.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gwsim;
  Options options;
  std::string error;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "gateway_sim: %s\n%s", error.c_str(), UsageText());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("gateway_sim %s\n", PRODUCT_VERSION_TEXT);
    return 0;
  }

  // Blocked before any thread exists, so that only the server's signal thread takes them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a client that leaves mid-answer must not end the program

  AccountBook accounts;
  if (!options.accountsFile.empty()) {
    std::string text;
    if (!ReadWholeFile(options.accountsFile, text, error)) return Fail(kExitStartFailed, error);
    if (!accounts.Load(text, error)) {
      return Fail(kExitStartFailed, "accounts file " + options.accountsFile + ": " + error);
    }
  }

  if (!options.makeCertDir.empty() &&
      !EnsureSelfSignedIdentity(options.makeCertDir, options.certFile, options.keyFile, error)) {
    return Fail(kExitStartFailed, error);
  }
  Identity identity;
  if (!LoadIdentity(options.certFile, options.keyFile, identity, error)) {
    return Fail(kExitStartFailed, error);
  }

  JournalFile journal;
  if (!options.journalFile.empty() && !journal.Open(options.journalFile, error)) {
    return Fail(kExitStartFailed, error);
  }

  // A new or empty settlement file begins with its header.
  JournalFile settlement;
  if (!options.settlementFile.empty()) {
    if (!settlement.Open(options.settlementFile, error)) return Fail(kExitStartFailed, error);
    struct stat about {};
    if (stat(options.settlementFile.c_str(), &about) == 0 && about.st_size == 0 &&
        !settlement.Append(kSettlementHeader)) {
      return Fail(kExitStartFailed, "cannot write the settlement " + options.settlementFile);
    }
  }

  Gateway gateway(std::move(accounts), options.path, options.behaviour);
  return Serve(options, identity, gateway, options.journalFile.empty() ? nullptr : &journal,
               options.settlementFile.empty() ? nullptr : &settlement);
}
