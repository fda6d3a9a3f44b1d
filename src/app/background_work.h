#pragma once
// One piece of the window's long work (a drop's walk, a rename pass, an undo)
// running on a thread of its own, so the window goes on answering meanwhile.
// The window's thread starts it, reads its progress, may ask it to stop, and
// waits for it; the work itself sees only this object.

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <thread>

namespace tavrel {

class BackgroundWork {
public:
    // Starts work(*this) on a new thread. When it has ended, ended() is called
    // on that thread (to wake the window's thread). An error escaping the work
    // is kept for Wait().
    BackgroundWork(std::function<void(BackgroundWork&)> work, std::function<void()> ended);
    // Asks the work to stop and waits for it.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // The window's side.
    void RequestStop() { stop_.store(true); }
    bool HasEnded() const { return ended_.load(); }
    std::size_t done() const { return done_.load(std::memory_order_relaxed); }
    // Waits until the work has ended; returns the error that escaped it, if any.
    std::exception_ptr Wait();

    // The work's side.
    const std::atomic<bool>& stop_flag() const { return stop_; }
    bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
    void Advance(std::size_t done) { done_.store(done, std::memory_order_relaxed); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<std::size_t> done_{0};
    std::exception_ptr escaped_;
    std::thread thread_;
};

}  // namespace tavrel
