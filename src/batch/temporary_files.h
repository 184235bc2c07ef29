// The temporary output files of the running batch conversion, known to the
// signal handlers of SIGINT, SIGTERM and SIGHUP.
//
// While at least one temporary file is registered, those signals (unless
// they are ignored) remove every registered file and then end the process
// with the signal's default action, so the exit status is the usual one for
// the signal. The handler only walks a fixed table and calls unlink(2), so
// it is safe to run at any moment. When the last file is forgotten, the
// signals' former handling is restored.
#ifndef TALVENOR_BATCH_TEMPORARY_FILES_H_
#define TALVENOR_BATCH_TEMPORARY_FILES_H_

#include <csignal>
#include <string>
#include <string_view>

#include "platform/safe_replace.h"

namespace talvenor::batch {

// Registers `path` for removal on an interrupting signal. Returns the slot
// to forget it by, or -1 when the table is full or the path too long (the
// file cannot be looked after, so the caller should not create it).
int RegisterTemporaryFile(std::string_view path);

// Forgets the file of `slot` (after it was renamed or removed). -1 is
// ignored.
void ForgetTemporaryFile(int slot);

// Keeps the temporary file of a platform::PendingReplacement registered
// while it exists. The replacement's Create() and Rename() belong under
// InterruptionsHeld, so that the file never exists unregistered.
class RemovedOnInterruption final : public platform::TemporaryFileWatch {
 public:
  RemovedOnInterruption() = default;
  ~RemovedOnInterruption() override { ForgetTemporaryFile(slot_); }
  RemovedOnInterruption(const RemovedOnInterruption&) = delete;
  RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;

  bool Created(const std::string& path) override;
  void Gone() override;

 private:
  int slot_ = -1;
};

// While an object lives, the interrupting signals are held back on the
// calling thread (they take effect when it ends): for steps that must not
// be cut in half, such as giving several files their final names.
class InterruptionsHeld {
 public:
  InterruptionsHeld();
  ~InterruptionsHeld();
  InterruptionsHeld(const InterruptionsHeld&) = delete;
  InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

 private:
  sigset_t previous_;
};

// Blocks the interrupting signals on the calling thread for good: for
// worker threads, so that the signals reach the thread that runs the
// conversion.
void BlockInterruptionsOnThisThread();

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_TEMPORARY_FILES_H_
