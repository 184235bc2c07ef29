#include "batch/temporary_files.h"

#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>

namespace talvenor::batch {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kSlots = 32;  // a run has at most ten output files

// A slot's path is written before the slot is marked used and read by the
// handler only while it is marked; lock-free atomics are safe in a handler.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
std::array<Slot, kSlots> slots;
static_assert(std::atomic<bool>::is_always_lock_free);

// Registration happens on the thread that runs the conversion only.
int registered = 0;
struct sigaction previousActions[std::size(kSignals)];
bool handled[std::size(kSignals)];

extern "C" void RemoveTemporariesAndEnd(int signal) {
  for (Slot& slot : slots) {
    if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
  }
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  ::sigaction(signal, &byDefault, nullptr);
  // Blocked while this handler runs; delivered, with its default action,
  // as soon as it returns.
  ::raise(signal);
}

void InstallHandlers() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    handled[i] = false;
    struct sigaction current {};
    if (::sigaction(kSignals[i], nullptr, &current) != 0) continue;
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int other : kSignals) sigaddset(&action.sa_mask, other);
    if (::sigaction(kSignals[i], &action, &previousActions[i]) == 0) handled[i] = true;
  }
}

void RestoreHandlers() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (handled[i]) ::sigaction(kSignals[i], &previousActions[i], nullptr);
    handled[i] = false;
  }
}

sigset_t InterruptingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

int RegisterTemporaryFile(std::string_view path) {
  if (path.empty() || path.size() >= PATH_MAX || path.find('\0') != std::string_view::npos) {
    return -1;
  }
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& slot = slots[i];
    if (slot.used.load(std::memory_order_relaxed)) continue;
    std::memcpy(slot.path, path.data(), path.size());
    slot.path[path.size()] = '\0';
    slot.used.store(true, std::memory_order_release);
    if (registered++ == 0) InstallHandlers();
    return static_cast<int>(i);
  }
  return -1;
}

void ForgetTemporaryFile(int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return;
  Slot& forgotten = slots[static_cast<std::size_t>(slot)];
  if (!forgotten.used.exchange(false, std::memory_order_acq_rel)) return;
  if (--registered == 0) RestoreHandlers();
}

bool RemovedOnInterruption::Created(const std::string& path) {
  ForgetTemporaryFile(slot_);
  slot_ = RegisterTemporaryFile(path);
  return slot_ >= 0;
}

void RemovedOnInterruption::Gone() {
  ForgetTemporaryFile(slot_);
  slot_ = -1;
}

InterruptionsHeld::InterruptionsHeld() {
  const sigset_t set = InterruptingSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptionsHeld::~InterruptionsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void BlockInterruptionsOnThisThread() {
  const sigset_t set = InterruptingSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

}  // namespace talvenor::batch
