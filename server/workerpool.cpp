#include "workerpool.h"

namespace orvserver {

WorkerPool::WorkerPool(int threads)
{
    for (int i = 0; i < std::max(1, threads); ++i)
        threads_.emplace_back([this] { Run(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_)
        thread.join();
}

void WorkerPool::Post(std::function<void()> task)
{
    bool wake;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        // Busy workers come back for more by themselves; wake a sleeping one only when it is needed.
        wake = idle_ > 0 && tasks_.size() <= static_cast<std::size_t>(idle_);
    }
    if (wake)
        wake_.notify_one();
}

void WorkerPool::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        --idle_;
        if (tasks_.empty())
            return;
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace orvserver
