#include "core/signals.h"

#include <signal.h>
#include <unistd.h>

namespace plat {

namespace {

volatile sig_atomic_t gCloseAsked = 0;
volatile sig_atomic_t gPending = 0;
bool gAlarmIsOurs = false;  // set before the close signals are caught, never after

// Only async-signal-safe calls here: write and _exit.
void EndNow(const char* why, size_t length) {
  ssize_t ignored = write(STDERR_FILENO, why, length);
  (void)ignored;
  _exit(0);
}

void OnGraceOver(int) {
  static const char kWhy[] = "The program did not close in time after a signal; it ends.\n";
  EndNow(kWhy, sizeof kWhy - 1);
}

void OnCloseSignal(int) {
  if (gCloseAsked) {
    static const char kWhy[] = "A second signal to close: the program ends.\n";
    EndNow(kWhy, sizeof kWhy - 1);
  }
  gCloseAsked = 1;
  gPending = 1;
  if (gAlarmIsOurs) alarm(kCloseGraceSeconds);
}

bool CatchWhereDefault(int signal, void (*handler)(int)) {
  struct sigaction current = {};
  if (sigaction(signal, nullptr, &current) != 0) return false;
  if (current.sa_handler == handler) return true;
  if (current.sa_handler != SIG_DFL) return false;
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  return sigaction(signal, &action, nullptr) == 0;
}

}  // namespace

void CatchCloseSignals() {
  // Another user of SIGALRM keeps it: the close then has no time limit.
  gAlarmIsOurs = CatchWhereDefault(SIGALRM, OnGraceOver);
  CatchWhereDefault(SIGINT, OnCloseSignal);
  CatchWhereDefault(SIGTERM, OnCloseSignal);
}

bool TakeCloseSignal() {
  if (!gPending) return false;
  gPending = 0;
  return true;
}

}  // namespace plat
