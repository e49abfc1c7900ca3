/* Preloaded into the 32-bit processes of the emulated Wine lane (scripts/wine_lane.sh).

   Wine's i386 signal handlers decide which Windows exception a fault is by the trap
   number in the signal context (uc_mcontext.gregs[REG_TRAPNO]), as the kernel fills
   it in. qemu-user leaves it at -1 for every fault, so an access violation would reach
   the program as an illegal instruction and a division by zero as a floating-point
   fault. This wraps sigaction for the fault signals: the program's handler is called
   through fix_trap_number, which puts back the number the kernel would have given,
   taken from the signal and its si_code, whenever the context holds none (anything
   outside the 32 processor vectors). A real trap number is never touched.

   Built for i386 and, as an empty library of the same name, for x86_64, so that
   LD_PRELOAD=DIR/$LIB/libtrapno_fix.so loads the fix into 32-bit processes only. */
#if defined(__i386__)
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stddef.h>
#include <ucontext.h>

typedef void (*fault_handler)(int, siginfo_t*, void*);
typedef int (*sigaction_function)(int, const struct sigaction*, struct sigaction*);

/* x86 exception vectors, as Wine's TRAP_x86_* names them. */
enum {
  kDivideError = 0,
  kDebugTrap = 1,
  kBreakpoint = 3,
  kInvalidOpcode = 6,
  kSegmentNotPresent = 11,
  kGeneralProtection = 13,
  kPageFault = 14,
  kAlignmentCheck = 17,
  kVectorCount = 32
};

static fault_handler program_handlers[NSIG];

static int is_fault_signal(int sig) {
  return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

/* The vector the kernel reports for a fault raised as sig with info->si_code, or -1
   for one that names no vector (a floating-point fault leaves it to the FPU status). */
static int trap_number(int sig, int code) {
  switch (sig) {
    case SIGSEGV:
      return code == SI_KERNEL ? kGeneralProtection : kPageFault;
    case SIGBUS:
      if (code == BUS_ADRALN) return kAlignmentCheck;
      return code == SI_KERNEL ? kSegmentNotPresent : kPageFault;
    case SIGILL:
      return kInvalidOpcode;
    case SIGFPE:
      return code == FPE_INTDIV ? kDivideError : -1;
    case SIGTRAP:
      return code == SI_KERNEL ? kBreakpoint : kDebugTrap;
    default:
      return -1;
  }
}

static void fix_trap_number(int sig, siginfo_t* info, void* context) {
  ucontext_t* ucontext = context;
  greg_t* trapno = &ucontext->uc_mcontext.gregs[REG_TRAPNO];
  /* A signal sent by a program (kill, raise: si_code <= 0 but SI_KERNEL) is no fault. */
  const int raised_by_fault = info->si_code > 0 || info->si_code == SI_KERNEL;
  if (raised_by_fault && (unsigned long)*trapno >= kVectorCount) *trapno = trap_number(sig, info->si_code);
  program_handlers[sig](sig, info, context);
}

static sigaction_function real_sigaction(void) {
  static sigaction_function real;
  if (real == NULL) real = (sigaction_function)dlsym(RTLD_NEXT, "sigaction");
  return real;
}

int sigaction(int sig, const struct sigaction* action, struct sigaction* old) {
  const int wrap = is_fault_signal(sig) && action != NULL && (action->sa_flags & SA_SIGINFO) &&
                   action->sa_sigaction != fix_trap_number;
  const fault_handler previous = is_fault_signal(sig) ? program_handlers[sig] : NULL;
  int result;
  if (wrap) {
    struct sigaction wrapped = *action;
    program_handlers[sig] = action->sa_sigaction;
    wrapped.sa_sigaction = fix_trap_number;
    result = real_sigaction()(sig, &wrapped, old);
  } else {
    result = real_sigaction()(sig, action, old);
  }
  /* The program sees its own handler as the one installed before. */
  if (result == 0 && old != NULL && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == fix_trap_number) {
    old->sa_sigaction = previous;
  }
  return result;
}
#endif
