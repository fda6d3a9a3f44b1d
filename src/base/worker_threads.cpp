#include "base/worker_threads.h"

namespace tavrel {

std::thread StartSystemThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

WorkerThreads::WorkerThreads(unsigned count, const std::function<void()>& body,
                             const StartThread& start) {
    try {
        threads_.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            std::thread thread = start ? start(body) : StartSystemThread(body);
            if (!thread.joinable()) break;
            threads_.push_back(std::move(thread));
        }
    } catch (...) {
        // No more threads to be had: the ones started do the work.
    }
}

WorkerThreads::~WorkerThreads() {
    for (auto& thread : threads_) thread.join();
}

}  // namespace tavrel
