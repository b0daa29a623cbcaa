#pragma once

// A few open database connections shared by the request threads. A connection that failed
// is dropped instead of being handed out again.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace orvserver {

template <class Connection> class ConnectionPool {
public:
    using Factory = std::function<std::unique_ptr<Connection>()>;

    explicit ConnectionPool(Factory factory)
        : factory_(std::move(factory))
    {
    }

    // Runs `work` with a connection; the connection goes back to the pool unless `work` throws.
    template <class Work> auto With(Work&& work)
    {
        auto connection = Take();
        auto result = work(*connection);
        Give(std::move(connection));
        return result;
    }

private:
    std::unique_ptr<Connection> Take()
    {
        {
            std::lock_guard lock(mutex_);
            if (!idle_.empty()) {
                auto connection = std::move(idle_.back());
                idle_.pop_back();
                return connection;
            }
        }
        return factory_();
    }

    void Give(std::unique_ptr<Connection> connection)
    {
        std::lock_guard lock(mutex_);
        if (idle_.size() < kMaxIdle)
            idle_.push_back(std::move(connection));
    }

    static constexpr std::size_t kMaxIdle = 64;
    Factory factory_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

} // namespace orvserver
