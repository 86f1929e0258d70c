// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace km::python {

// A lock served in the order it was asked for. A thread stepping a gas in slices asks again
// after each slice and so queues behind any reader that came meanwhile, where a plain mutex
// would let it take the lock straight back.
class TurnLock {
 public:
  void lock() {
    std::unique_lock<std::mutex> guard(mutex_);
    const std::uint64_t ticket = next_++;
    turn_.wait(guard, [&] { return serving_ == ticket; });
  }
  bool try_lock() {
    const std::lock_guard<std::mutex> guard(mutex_);
    if (serving_ != next_) return false;
    ++next_;
    return true;
  }
  void unlock() {
    {
      const std::lock_guard<std::mutex> guard(mutex_);
      ++serving_;
    }
    turn_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  std::uint64_t next_ = 0, serving_ = 0;
};

}  // namespace km::python
