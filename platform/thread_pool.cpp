#include "platform/thread_pool.h"

#include <algorithm>

namespace chaos {

int ThreadPool::coresBesidesCaller() {
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 16) - 1;
}

ThreadPool::ThreadPool(int count) {
    for (int i = 0; i < count; ++i)
        threads.emplace_back([this](std::stop_token stop) { serve(stop); });
}

ThreadPool::~ThreadPool() {
    for (auto& thread : threads)
        thread.request_stop();
    threads.clear();  // joins each
}

void ThreadPool::run(std::function<void()> work) {
    {
        const std::scoped_lock held(lock);
        queue.push_back(std::move(work));
    }
    waiting.notify_one();
}

void ThreadPool::serve(std::stop_token stop) {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock held(lock);
            if (!waiting.wait(held, stop, [this] { return !queue.empty(); }))
                return;  // asked to stop
            work = std::move(queue.front());
            queue.pop_front();
        }
        work();
    }
}

} // namespace chaos
