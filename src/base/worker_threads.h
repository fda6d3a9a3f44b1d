#pragma once
// Threads that run one routine beside the calling thread. A thread the system
// cannot give (a per-user process limit, a container's task limit) is an
// ordinary outcome: the work goes on with fewer threads, down to the calling
// thread alone.

#include <functional>
#include <thread>
#include <vector>

namespace tavrel {

// Starts a thread running `body`; throws (std::system_error) when no thread
// can be had. Tests stand in one that fails on purpose.
using StartThread = std::function<std::thread(std::function<void()> body)>;

// The system's threads: std::thread.
std::thread StartSystemThread(std::function<void()> body);

class WorkerThreads {
public:
    // Starts up to `count` threads running `body`, stopping at the first that
    // cannot be started. `body` must not throw.
    WorkerThreads(unsigned count, const std::function<void()>& body, const StartThread& start);
    // Waits for every thread started.
    ~WorkerThreads();

    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    unsigned started() const { return static_cast<unsigned>(threads_.size()); }

private:
    std::vector<std::thread> threads_;
};

}  // namespace tavrel
