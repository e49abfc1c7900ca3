#include "tools/gateway_sim/options.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "product_version.h"

namespace gwsim {

namespace {

constexpr int kHighestPort = 65535;

bool ParsePort(const std::string& text, int& port) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, port);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && port >= 1 &&
         port <= kHighestPort;
}

}  // namespace

const char* UsageText() {
  return "gateway_sim " PRODUCT_VERSION_TEXT ": a stand-in for the card payment gateway\n"
         "usage: gateway_sim (--cert FILE --key FILE | --make-cert DIR) [options]\n"
         "  --address ADDR     address to listen on (default 127.0.0.2)\n"
         "  --port N           port (default 443; other ports are for development only)\n"
         "  --path PATH        the gateway's path (default /ipsx/gateway)\n"
         "  --cert FILE        server certificate, PEM\n"
         "  --key FILE         its private key, PEM\n"
         "  --make-cert DIR    use DIR/server.pem and DIR/server.key, first making a\n"
         "                     self-signed CN=gateway.test pair there if missing\n"
         "  --accounts FILE    card accounts (see README.md); none: every card unknown\n"
         "  --journal FILE     append one line per request to FILE\n"
         "  --behaviour B      misbehave for every request: none, status:N, empty,\n"
         "                     oversize, garbage, error, delay:N, hang, reset,\n"
         "                     redirect\n"
         "  --ready-file FILE  write FILE once listening\n"
         "  --sent-times FILE  append, for each reply written, the time it was sent\n"
         "                     (microseconds since 1970, UTC), for benchmarks\n"
         "  --settlement FILE  append a settlement row (CSV) for each charge or deposit\n"
         "                     answered with a response code, for CSReconcile\n"
         "  --quiet            do not echo journal lines on stdout\n"
         "  --version          print the version and stop\n"
         "  --help             this text\n";
}

bool ParseOptions(const std::vector<std::string>& arguments, Options& options,
                  std::string& error) {
  struct TextOption {
    const char* name;
    std::string* target;
  };
  const TextOption textOptions[] = {
      {"--address", &options.address},       {"--path", &options.path},
      {"--cert", &options.certFile},         {"--key", &options.keyFile},
      {"--make-cert", &options.makeCertDir}, {"--accounts", &options.accountsFile},
      {"--journal", &options.journalFile},   {"--ready-file", &options.readyFile},
      {"--sent-times", &options.sentTimesFile}, {"--settlement", &options.settlementFile},
  };

  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--version") {
      options.version = true;
      continue;
    }
    if (name == "--quiet") {
      options.quiet = true;
      continue;
    }
    const bool takesValue = name == "--port" || name == "--behaviour" ||
                            std::any_of(std::begin(textOptions), std::end(textOptions),
                                        [&](const TextOption& o) { return name == o.name; });
    if (!takesValue) {
      error = "unknown option " + arguments[i];
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= arguments.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if (name == "--port") {
      if (!ParsePort(value, options.port)) {
        error = "port '" + value + "' is not 1 to 65535";
        return false;
      }
    } else if (name == "--behaviour") {
      if (!ParseBehaviour(value, options.behaviour, error)) return false;
    } else {
      for (const TextOption& o : textOptions) {
        if (name == o.name) *o.target = value;
      }
      if (value.empty()) {
        error = "option " + name + " needs a value";
        return false;
      }
    }
  }
  if (options.help || options.version) return true;
  if (options.path.empty() || options.path[0] != '/') {
    error = "path '" + options.path + "' must begin with /";
    return false;
  }
  const bool files = !options.certFile.empty() || !options.keyFile.empty();
  if (files && !options.makeCertDir.empty()) {
    error = "give either --cert and --key or --make-cert, not both";
    return false;
  }
  if (!files && options.makeCertDir.empty()) {
    error = "a certificate is needed: --cert FILE --key FILE, or --make-cert DIR";
    return false;
  }
  if (files && (options.certFile.empty() || options.keyFile.empty())) {
    error = "--cert and --key go together";
    return false;
  }
  return true;
}

}  // namespace gwsim
