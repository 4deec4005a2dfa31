#pragma once

#include "platform/interfaces.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace chaos {

// Threads started once, idle (waiting on a condition variable, at no CPU)
// while there is no work, stopped and joined when the pool ends. Work queued
// but not started by then is dropped; work that runs is waited for, so it
// must end soon when its owner asks it to (a draw's stop).
class ThreadPool final : public Workers {
public:
    // One thread for each core the caller does not use itself.
    static int coresBesidesCaller();

    explicit ThreadPool(int threads = coresBesidesCaller());
    ~ThreadPool() override;

    int count() const override { return static_cast<int>(threads.size()); }
    void run(std::function<void()> work) override;

private:
    void serve(std::stop_token stop);

    std::mutex lock;
    std::condition_variable_any waiting;
    std::deque<std::function<void()>> queue;
    std::vector<std::jthread> threads;  // last: they start once the rest is made
};

} // namespace chaos
