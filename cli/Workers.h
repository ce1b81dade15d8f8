#pragma once
// A few threads for a batch whose inputs are independent: a task runs on the
// first free one, and its future gives back what it returned (or threw).
// Without threads, a task runs at once in the thread that gives it.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace vellum::cli {

class Workers {
  public:
    explicit Workers(unsigned threads);
    // Runs every task given so far, then ends the threads.
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    template <class Task> std::future<std::invoke_result_t<Task>> run(Task task) {
        using Returned = std::invoke_result_t<Task>;
        auto job = std::make_shared<std::packaged_task<Returned()>>(std::move(task));
        std::future<Returned> returned = job->get_future();
        if (threads_.empty()) {
            (*job)();
        } else {
            post([job] { (*job)(); });
        }
        return returned;
    }

    std::size_t threads() const { return threads_.size(); }

  private:
    void post(std::function<void()> job);
    void work();

    std::mutex lock_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> jobs_;
    bool ending_ = false;
    std::vector<std::thread> threads_;
};

// How many threads a batch of that many inputs is worth: none for a few
// inputs, else one for each processor (at most 8).
unsigned workersFor(std::size_t inputs);

} // namespace vellum::cli
