#pragma once
#include <mutex>
#include <string>

#include "tools/gateway_sim/accounts.h"
#include "tools/gateway_sim/behaviour.h"
#include "tools/gateway_sim/journal.h"

// What the simulator does with one HTTP request, decided apart from the network: the
// answer to give, how to misbehave, and the journal entry. Thread-safe.
namespace gwsim {

inline constexpr int kStatusOk = 200;
inline constexpr int kStatusNotFound = 404;
inline constexpr int kStatusMethodNotAllowed = 405;
inline constexpr const char* kPostMethod = "POST";

struct IncomingRequest {
  std::string method;
  std::string path;
  std::string contentType;
  std::string body;
  std::string peer;
  std::string time;  // local time of arrival, YYYY-MM-DDThh:mm:ss
};

struct PlannedAnswer {
  Behaviour behaviour;     // Delay, Hang and Reset are carried out by the server
  int status = kStatusOk;  // for every behaviour but Hang and Reset
  std::string location;    // the Location header of a redirect, else none
  std::string body;
  JournalEntry journal;
};

class Gateway {
 public:
  // path: the one path that is answered ("/ipsx/gateway"); others get 404, methods
  // other than POST 405, both journaled. everyone: the behaviour for requests whose
  // card has none of its own.
  Gateway(AccountBook accounts, const std::string& path, Behaviour everyone);

  // Counts the request, checks it, carries it out on the accounts unless the
  // behaviour loses the reply, and plans the answer.
  PlannedAnswer Handle(const IncomingRequest& request);

 private:
  std::mutex mutex_;
  AccountBook accounts_;
  std::string path_;
  Behaviour everyone_;
  unsigned long counter_ = 0;
};

}  // namespace gwsim
