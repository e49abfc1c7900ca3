#include "tools/gateway_sim/behaviour.h"

#include <charconv>

namespace gwsim {

namespace {

constexpr int kLowestStatus = 201;
constexpr int kHighestStatus = 599;
constexpr int kNoContentStatus = 204;
constexpr int kNotModifiedStatus = 304;
constexpr int kLongestDelaySeconds = 3600;

struct NamedKind {
  const char* name;
  BehaviourKind kind;
  bool takesNumber;
};

constexpr NamedKind kKinds[] = {
    {"none", BehaviourKind::Normal, false},   {"status", BehaviourKind::Status, true},
    {"empty", BehaviourKind::Empty, false},   {"oversize", BehaviourKind::Oversize, false},
    {"garbage", BehaviourKind::Garbage, false}, {"error", BehaviourKind::ErrorText, false},
    {"delay", BehaviourKind::Delay, true},    {"hang", BehaviourKind::Hang, false},
    {"reset", BehaviourKind::Reset, false},   {"redirect", BehaviourKind::Redirect, false},
};

bool ParseNumber(std::string_view text, int& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

bool NumberAllowed(BehaviourKind kind, int value, std::string& error) {
  if (kind == BehaviourKind::Status) {
    if (value < kLowestStatus || value > kHighestStatus || value == kNoContentStatus ||
        value == kNotModifiedStatus) {
      error = "status must be 201 to 599, not 204 or 304";
      return false;
    }
    return true;
  }
  if (value < 1 || value > kLongestDelaySeconds) {
    error = "delay must be 1 to 3600 seconds";
    return false;
  }
  return true;
}

}  // namespace

bool ParseBehaviour(std::string_view text, Behaviour& behaviour, std::string& error) {
  const size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  for (const NamedKind& entry : kKinds) {
    if (name != entry.name) continue;
    if (!entry.takesNumber) {
      if (colon != std::string_view::npos) {
        error = "behaviour " + std::string(name) + " takes no number";
        return false;
      }
      behaviour = Behaviour{entry.kind, 0};
      return true;
    }
    int value = 0;
    if (colon == std::string_view::npos || !ParseNumber(text.substr(colon + 1), value)) {
      error = "behaviour " + std::string(name) + " needs a number, as in " + entry.name + ":" +
              (entry.kind == BehaviourKind::Status ? "404" : "5");
      return false;
    }
    if (!NumberAllowed(entry.kind, value, error)) return false;
    behaviour = Behaviour{entry.kind, value};
    return true;
  }
  error = "unknown behaviour '" + std::string(text) +
          "' (none, status:N, empty, oversize, garbage, error, delay:N, hang, reset, redirect)";
  return false;
}

std::string BehaviourName(const Behaviour& behaviour) {
  for (const NamedKind& entry : kKinds) {
    if (entry.kind != behaviour.kind) continue;
    if (!entry.takesNumber) return entry.name;
    return std::string(entry.name) + ":" + std::to_string(behaviour.argument);
  }
  return "none";
}

bool LosesReply(const Behaviour& behaviour) {
  switch (behaviour.kind) {
    case BehaviourKind::Normal:
    case BehaviourKind::Oversize:
    case BehaviourKind::Delay:
      return false;
    default:
      return true;
  }
}

}  // namespace gwsim
