#include "Workers.h"

#include <algorithm>

namespace vellum::cli {

Workers::Workers(unsigned threads) {
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

Workers::~Workers() {
    {
        const std::lock_guard guard(lock_);
        ending_ = true;
    }
    posted_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void Workers::post(std::function<void()> job) {
    {
        const std::lock_guard guard(lock_);
        jobs_.push_back(std::move(job));
    }
    posted_.notify_one();
}

void Workers::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock guard(lock_);
            posted_.wait(guard, [this] { return ending_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                return; // ending, and nothing left to run
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job(); // a packaged task: what it throws goes to its future
    }
}

unsigned workersFor(std::size_t inputs) {
    // Below this, starting threads costs more than they save.
    constexpr std::size_t kFewestInputs = 8;
    if (inputs < kFewestInputs) {
        return 0;
    }
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    return std::min(processors, 8u);
}

} // namespace vellum::cli
