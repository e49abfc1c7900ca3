#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/gateway_sim/options.h"

namespace {

using Args = std::vector<std::string>;

TEST(OptionsTest, DefaultsAndBothValueForms) {
  gwsim::Options options;
  std::string error;
  ASSERT_TRUE(gwsim::ParseOptions({"--make-cert", "/tmp/c"}, options, error)) << error;
  EXPECT_EQ("127.0.0.2", options.address);
  EXPECT_EQ(443, options.port);
  EXPECT_EQ("/ipsx/gateway", options.path);
  EXPECT_EQ(gwsim::BehaviourKind::Normal, options.behaviour.kind);
  EXPECT_FALSE(options.quiet);

  gwsim::Options other;
  ASSERT_TRUE(gwsim::ParseOptions({"--cert=a.pem", "--key", "a.key", "--address=127.0.0.9",
                                   "--port", "8443", "--path=/gw", "--behaviour=delay:3",
                                   "--accounts", "acc.txt", "--journal=j.log",
                                   "--ready-file", "ready", "--sent-times", "t.log", "--settlement", "s.csv", "--quiet"},
                                  other, error))
      << error;
  EXPECT_EQ("a.pem", other.certFile);
  EXPECT_EQ("a.key", other.keyFile);
  EXPECT_EQ("127.0.0.9", other.address);
  EXPECT_EQ(8443, other.port);
  EXPECT_EQ("/gw", other.path);
  EXPECT_EQ(gwsim::BehaviourKind::Delay, other.behaviour.kind);
  EXPECT_EQ(3, other.behaviour.argument);
  EXPECT_EQ("acc.txt", other.accountsFile);
  EXPECT_EQ("j.log", other.journalFile);
  EXPECT_EQ("ready", other.readyFile);
  EXPECT_EQ("t.log", other.sentTimesFile);
  EXPECT_EQ("s.csv", other.settlementFile);
  EXPECT_TRUE(other.quiet);
}

TEST(OptionsTest, BadCommandLinesSayWhy) {
  struct Row {
    Args args;
    const char* error;
  };
  const Row rows[] = {
      {{}, "a certificate is needed: --cert FILE --key FILE, or --make-cert DIR"},
      {{"--cert", "a.pem"}, "--cert and --key go together"},
      {{"--cert", "a", "--key", "b", "--make-cert", "d"},
       "give either --cert and --key or --make-cert, not both"},
      {{"--make-cert", "d", "--port", "0"}, "port '0' is not 1 to 65535"},
      {{"--make-cert", "d", "--port=65536"}, "port '65536' is not 1 to 65535"},
      {{"--make-cert", "d", "--port", "44x"}, "port '44x' is not 1 to 65535"},
      {{"--make-cert", "d", "--path", "ipsx"}, "path 'ipsx' must begin with /"},
      {{"--make-cert", "d", "--journal"}, "option --journal needs a value"},
      {{"--make-cert", "d", "--journal="}, "option --journal needs a value"},
      {{"--make-cert", "d", "--verbose"}, "unknown option --verbose"},
      {{"--make-cert", "d", "extra"}, "unknown option extra"},
      {{"--make-cert", "d", "--behaviour", "slow"},
       "unknown behaviour 'slow' (none, status:N, empty, oversize, garbage, error, delay:N, "
       "hang, reset, redirect)"},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& arg : row.args) line += arg + " ";
    SCOPED_TRACE(line);
    gwsim::Options options;
    std::string error;
    EXPECT_FALSE(gwsim::ParseOptions(row.args, options, error));
    EXPECT_EQ(row.error, error);
  }
}

TEST(OptionsTest, HelpAndVersionNeedNothingElse) {
  gwsim::Options help;
  std::string error;
  EXPECT_TRUE(gwsim::ParseOptions({"--help"}, help, error)) << error;
  EXPECT_TRUE(help.help);
  EXPECT_FALSE(help.version);

  gwsim::Options version;
  EXPECT_TRUE(gwsim::ParseOptions({"--version"}, version, error)) << error;
  EXPECT_TRUE(version.version);
  EXPECT_FALSE(version.help);
}

TEST(BehaviourTest, WrittenFormsReadBackAndBadOnesAreRefused) {
  struct Row {
    const char* text;
    bool valid;
    const char* error;
  };
  const Row rows[] = {
      {"none", true, ""},
      {"status:404", true, ""},
      {"status:500", true, ""},
      {"status:201", true, ""},
      {"status:599", true, ""},
      {"empty", true, ""},
      {"oversize", true, ""},
      {"garbage", true, ""},
      {"error", true, ""},
      {"delay:1", true, ""},
      {"delay:3600", true, ""},
      {"hang", true, ""},
      {"reset", true, ""},
      {"redirect", true, ""},
      {"status:200", false, "status must be 201 to 599, not 204 or 304"},
      {"status:204", false, "status must be 201 to 599, not 204 or 304"},
      {"status:304", false, "status must be 201 to 599, not 204 or 304"},
      {"status:600", false, "status must be 201 to 599, not 204 or 304"},
      {"status", false, "behaviour status needs a number, as in status:404"},
      {"status:", false, "behaviour status needs a number, as in status:404"},
      {"status:4o4", false, "behaviour status needs a number, as in status:404"},
      {"delay:0", false, "delay must be 1 to 3600 seconds"},
      {"delay:3601", false, "delay must be 1 to 3600 seconds"},
      {"hang:5", false, "behaviour hang takes no number"},
      {"Hang", false,
       "unknown behaviour 'Hang' (none, status:N, empty, oversize, garbage, error, delay:N, "
       "hang, reset, redirect)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    gwsim::Behaviour behaviour;
    std::string error;
    EXPECT_EQ(row.valid, gwsim::ParseBehaviour(row.text, behaviour, error));
    EXPECT_EQ(row.error, error);
    if (row.valid) {
      EXPECT_EQ(row.text, gwsim::BehaviourName(behaviour));
    }
  }
}

}  // namespace
