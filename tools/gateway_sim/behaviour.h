#pragma once
#include <string>
#include <string_view>

// How the simulator misbehaves, for one card (accounts file) or for every request
// (--behaviour). Written "name" or "name:number":
//   none        the normal answer
//   status:N    HTTP status N (201 to 599, not 204 or 304) with a short text body
//   empty       status 200, empty body
//   oversize    the normal answer padded to 3000 bytes
//   garbage     status 200, a text without any FS
//   error       status 200, a body beginning "Error:"
//   delay:N     the normal answer after N seconds (1 to 3600)
//   hang        no answer; the connection is held until the client leaves or the
//               simulator stops
//   reset       the connection is reset (RST) once the request has been read
//   redirect    status 307 with a Location on the same server (the gateway's path +
//               kRedirectSuffix); a request that follows it is journaled there
namespace gwsim {

enum class BehaviourKind {
  Normal, Status, Empty, Oversize, Garbage, ErrorText, Delay, Hang, Reset, Redirect
};

inline constexpr int kRedirectStatus = 307;  // Temporary Redirect: method and body kept
inline constexpr const char* kRedirectSuffix = "/moved";

struct Behaviour {
  BehaviourKind kind = BehaviourKind::Normal;
  int argument = 0;  // the status of Status, the seconds of Delay
};

// False, with a one-line reason in error, when text is not one of the forms above.
bool ParseBehaviour(std::string_view text, Behaviour& behaviour, std::string& error);

// The written form ("none", "status:404", "delay:3", ...), as ParseBehaviour reads it.
std::string BehaviourName(const Behaviour& behaviour);

// True for the behaviours whose client never sees a reply of the gateway's form; the
// simulator leaves the account untouched for them. Oversize and delay still deliver
// the reply, so their transaction is carried out.
bool LosesReply(const Behaviour& behaviour);

}  // namespace gwsim
