#include "tools/gateway_sim/server.h"

#include <fcntl.h>
#include <httplib.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "tools/gateway_sim/settlement.h"

namespace gwsim {

namespace {

using namespace std::chrono_literals;

constexpr int kExitCannotListen = 3;
constexpr size_t kWorkerThreads = 16;  // each held ("hang") request keeps one busy
// One request per connection (the answer says "Connection: close"), so that stopping
// never waits for an idle keep-alive connection to time out.
constexpr size_t kRequestsPerConnection = 1;
constexpr auto kHoldPollInterval = 100ms;
constexpr auto kSignalPollInterval = 100ms;
constexpr auto kStartPollInterval = 10ms;
constexpr const char* kReplyContentType = "text/plain";
constexpr const char* kTimeFormat = "%Y-%m-%dT%H:%M:%S";

// Raised once by the signal thread; wakes delayed and held requests.
class StopFlag {
 public:
  void Raise() {
    std::lock_guard<std::mutex> lock(mutex_);
    raised_ = true;
    changed_.notify_all();
  }
  bool Raised() {
    std::lock_guard<std::mutex> lock(mutex_);
    return raised_;
  }
  // True when the flag is raised before duration has passed.
  template <class Duration>
  bool WaitFor(Duration duration) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, duration, [this] { return raised_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool raised_ = false;
};

std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, kTimeFormat, &local);
  return text;
}

int ConnectionSocket(const httplib::Request& request) {
  return request.ssl == nullptr ? -1 : SSL_get_fd(request.ssl);
}

// Drops the client's connection with a TCP reset and no answer. A zero linger time
// makes the last close of the socket send RST instead of FIN. cpp-httplib still owns
// the descriptor and will write its response to it and close it, so /dev/null takes
// the descriptor's place: dup2 releases the socket (the reset) and what cpp-httplib
// does afterwards goes nowhere, without a double close.
void ResetConnection(const httplib::Request& request) {
  const int socket = ConnectionSocket(request);
  if (socket < 0) return;
  const linger abortive{1, 0};
  setsockopt(socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  const int placeholder = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (placeholder < 0) {
    shutdown(socket, SHUT_RDWR);
    return;
  }
  dup2(placeholder, socket);
  close(placeholder);
}

// True once the client has closed its side. Only hang-up events are asked for: data
// (a TLS close_notify, say) must not make the poll return at once for ever.
bool ClientLeft(const httplib::Request& request) {
  const int socket = ConnectionSocket(request);
  if (socket < 0) return true;
  pollfd entry{socket, POLLRDHUP, 0};
  return poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

bool WriteReadyFile(const std::string& path, const std::string& line) {
  const std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) return false;
  const bool written = std::fputs(line.c_str(), file) >= 0;
  if (std::fclose(file) != 0 || !written) return false;
  return std::rename(temporary.c_str(), path.c_str()) == 0;  // never seen half-written
}

}  // namespace

int Serve(const Options& options, Identity& identity, Gateway& gateway, JournalFile* journal,
          JournalFile* settlement) {
  httplib::SSLServer server(identity.certificate, identity.key);
  if (!server.is_valid()) {
    std::fprintf(stderr, "gateway_sim: cannot set up TLS with this certificate and key\n");
    return kExitCannotListen;
  }
  // cpp-httplib's default options add SO_REUSEPORT, which would let a second
  // simulator share the address instead of failing.
  server.set_socket_options([](socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_keep_alive_max_count(kRequestsPerConnection);
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };

  StopFlag stop;
  // Held from counting a request to writing its line, so that lines stay in the order
  // of their numbers however many requests arrive at once.
  std::mutex recordMutex;
  const auto handler = [&](const httplib::Request& request, httplib::Response& response) {
    const IncomingRequest incoming{request.method, request.path,
                                   request.get_header_value("Content-Type"), request.body,
                                   request.remote_addr, LocalTimeNow()};
    std::unique_lock<std::mutex> record(recordMutex);
    const PlannedAnswer answer = gateway.Handle(incoming);
    const std::string line = FormatJournalLine(answer.journal);
    if (journal != nullptr && !journal->Append(line)) {
      std::fprintf(stderr, "gateway_sim: cannot write the journal: %s\n", std::strerror(errno));
    }
    const std::string row = settlement != nullptr ? FormatSettlementRow(answer.journal) : std::string();
    if (!row.empty() && !settlement->Append(row)) {
      std::fprintf(stderr, "gateway_sim: cannot write the settlement: %s\n", std::strerror(errno));
    }
    if (!options.quiet) {
      std::fputs(line.c_str(), stdout);
      std::fflush(stdout);
    }
    record.unlock();

    switch (answer.behaviour.kind) {
      case BehaviourKind::Reset:
        ResetConnection(request);
        return;
      case BehaviourKind::Hang:
        while (!stop.WaitFor(kHoldPollInterval)) {
          if (ClientLeft(request)) break;
        }
        ResetConnection(request);
        return;
      case BehaviourKind::Delay:
        if (stop.WaitFor(std::chrono::seconds(answer.behaviour.argument))) {
          ResetConnection(request);
          return;
        }
        break;
      default:
        break;
    }
    response.status = answer.status;
    if (!answer.location.empty()) response.set_header("Location", answer.location);
    response.set_content(answer.body, kReplyContentType);
  };
  // The logger runs once the response has been written out.
  JournalFile sentTimes;
  if (!options.sentTimesFile.empty()) {
    std::string error;
    if (!sentTimes.Open(options.sentTimesFile, error)) {
      std::fprintf(stderr, "gateway_sim: cannot open %s: %s\n", options.sentTimesFile.c_str(),
                   error.c_str());
      return kExitCannotListen;
    }
    server.set_logger([&sentTimes](const httplib::Request&, const httplib::Response&) {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      sentTimes.Append(
          std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + "\n");
    });
  }
  // Every method on every path reaches the handler, so that every request is journaled.
  const char* everything = ".*";
  server.Get(everything, handler);
  server.Post(everything, handler);
  server.Put(everything, handler);
  server.Patch(everything, handler);
  server.Delete(everything, handler);
  server.Options(everything, handler);

  errno = 0;
  if (!server.bind_to_port(options.address, options.port)) {
    const int reason = errno;
    std::fprintf(stderr, "gateway_sim: cannot listen on %s port %d: %s\n",
                 options.address.c_str(), options.port,
                 reason != 0 ? std::strerror(reason) : "address not usable");
    return kExitCannotListen;
  }

  const std::string listening = "listening on https://" + options.address + ":" +
                                std::to_string(options.port) + options.path + "\n";
  std::fputs(listening.c_str(), stdout);
  std::fflush(stdout);
  if (!options.readyFile.empty() && !WriteReadyFile(options.readyFile, listening)) {
    std::fprintf(stderr, "gateway_sim: cannot write ready file %s: %s\n",
                 options.readyFile.c_str(), std::strerror(errno));
  }

  std::atomic<bool> listenEnded{false};
  std::thread signalWatcher([&] {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    const timespec interval{0, std::chrono::nanoseconds(kSignalPollInterval).count()};
    while (!listenEnded) {
      if (sigtimedwait(&signals, nullptr, &interval) < 0) continue;
      stop.Raise();
      // A signal that comes before the accept loop runs must still end it.
      while (!listenEnded && !server.is_running()) std::this_thread::sleep_for(kStartPollInterval);
      server.stop();
      return;
    }
  });

  bool listened = true;
  if (!stop.Raised()) listened = server.listen_after_bind();
  listenEnded = true;
  signalWatcher.join();
  if (stop.Raised()) return 0;
  if (!listened) std::fprintf(stderr, "gateway_sim: the accept loop failed\n");
  return kExitCannotListen;
}

}  // namespace gwsim
