#pragma once

// Threads for the work that may block: database queries, registrations, the pieces of a
// download. The event loops hand such work here and never wait for it themselves.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvserver {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    ~WorkerPool(); // finishes what is queued, then stops
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Post(std::function<void()> task);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    int idle_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace orvserver
