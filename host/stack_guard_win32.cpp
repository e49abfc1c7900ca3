// The stack protector's guard and its failure, in place of the compiler's runtime
// (libssp). libssp seeds the guard in a constructor with CryptAcquireContextA and
// CryptGenRandom; constructors run inside DLL_PROCESS_ATTACH, so that loaded a crypto
// provider (rsaenh.dll, with crypt32.dll and bcrypt.dll) under the loader lock. With both
// symbols defined here the linker never takes libssp's object, nor its constructor.
#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// Read by every function the protector guards, on entry and before it returns.
uintptr_t __stack_chk_guard;

// A guarded function found its copy of the guard overwritten: the stack is no longer
// to be trusted, so the process ends at once, as Windows' own stack checks end it.
[[noreturn]] [[gnu::no_stack_protector]] void __stack_chk_fail(void) {
  EXCEPTION_RECORD overrun = {};
  overrun.ExceptionCode = STATUS_STACK_BUFFER_OVERRUN;
  overrun.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  overrun.ExceptionAddress = __builtin_return_address(0);
  RaiseFailFastException(&overrun, nullptr, 0);
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_unreachable();
}

}  // extern "C"

namespace {

// The first constructor, before any guarded function is on the stack. RtlGenRandom asks
// the system's generator for the bytes and loads nothing; should it fail, the guard
// becomes the terminator canary libssp falls back to (a NUL, a line feed and 0xFF, which
// string functions stop at).
[[gnu::constructor(101)]] [[gnu::no_stack_protector]] void SeedStackGuard() {
  if (RtlGenRandom(&__stack_chk_guard, sizeof __stack_chk_guard) && __stack_chk_guard != 0) return;
  auto* bytes = reinterpret_cast<unsigned char*>(&__stack_chk_guard);
  bytes[0] = 0;
  bytes[sizeof __stack_chk_guard - 2] = '\n';
  bytes[sizeof __stack_chk_guard - 1] = 0xFF;
}

}  // namespace
