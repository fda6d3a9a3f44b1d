#include "app/background_work.h"

namespace tavrel {

BackgroundWork::BackgroundWork(std::function<void(BackgroundWork&)> work,
                               std::function<void()> ended)
    : thread_([this, work = std::move(work), ended = std::move(ended)] {
          try {
              work(*this);
          } catch (...) {
              escaped_ = std::current_exception();
          }
          ended_.store(true);
          if (ended) ended();
      }) {}

BackgroundWork::~BackgroundWork() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

std::exception_ptr BackgroundWork::Wait() {
    if (thread_.joinable()) thread_.join();
    return escaped_;
}

}  // namespace tavrel
