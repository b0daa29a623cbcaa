#include "commitqueue.h"

#include <memory>

namespace orvserver {

CommitQueue::CommitQueue(ResponseStore& store)
    : store_(store)
{
    for (int i = 0; i < kFlushThreads; ++i)
        flushers_.emplace_back([this] { Flush(); });
    for (int i = 0; i < store_.ConcurrentWriters(); ++i)
        writers_.emplace_back([this] { Write(); });
}

CommitQueue::~CommitQueue()
{
    {
        std::lock_guard lock(pendingMutex_);
        stopping_ = true;
    }
    pendingWake_.notify_all();
    for (auto& writer : writers_)
        writer.join();
    {
        std::lock_guard lock(committedMutex_);
        writersDone_ = true;
    }
    committedWake_.notify_all();
    for (auto& flusher : flushers_)
        flusher.join();
}

void CommitQueue::Enqueue(Ticket& ticket)
{
    bool wake;
    {
        std::lock_guard lock(pendingMutex_);
        if (stopping_)
            throw StoreError("the server is stopping");
        pending_.push_back(&ticket);
        wake = pending_.size() % kMaxBatch == 1;
    }
    // A writer busy with a batch takes the queue when it is done; a wake is needed only when
    // the queue starts, or starts another batch's worth for a second writer.
    if (wake)
        pendingWake_.notify_one();
}

void CommitQueue::Add(PendingResponse response, Then then)
{
    auto ticket = std::make_unique<Ticket>();
    ticket->response = std::move(response);
    ticket->then = std::move(then);
    try {
        Enqueue(*ticket);
    } catch (const StoreError&) {
        ticket->then(0, std::current_exception());
        return;
    }
    ticket.release(); // Finish() deletes it
}

Stamp CommitQueue::Add(PendingResponse response)
{
    Ticket ticket;
    ticket.response = std::move(response);
    Enqueue(ticket);
    {
        std::unique_lock lock(ticket.mutex);
        ticket.wake.wait(lock, [&ticket] { return ticket.done; });
    }
    if (ticket.error)
        std::rethrow_exception(ticket.error);
    return ticket.stamp;
}

void CommitQueue::Write()
{
    Batch batch;
    std::vector<PendingResponse> responses;
    for (;;) {
        {
            std::unique_lock lock(pendingMutex_);
            pendingWake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty())
                return;
            const auto count = std::min(pending_.size(), kMaxBatch);
            batch.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
        }
        responses.clear();
        for (auto* ticket : batch)
            responses.push_back(std::move(ticket->response));
        try {
            const Stamp stamp = store_.AddResponses(responses);
            for (auto* ticket : batch)
                ticket->stamp = stamp;
        } catch (...) {
            Finish(batch, std::current_exception());
            continue;
        }
        {
            std::lock_guard lock(committedMutex_);
            committed_.insert(committed_.end(), batch.begin(), batch.end());
        }
        committedWake_.notify_one();
    }
}

void CommitQueue::Flush()
{
    Batch batch;
    for (;;) {
        {
            std::unique_lock lock(committedMutex_);
            committedWake_.wait(lock, [this] { return writersDone_ || !committed_.empty(); });
            if (committed_.empty())
                return;
            batch.swap(committed_);
        }
        std::exception_ptr error;
        try {
            store_.FlushCommitted();
        } catch (...) {
            error = std::current_exception();
        }
        Finish(batch, error);
        batch.clear();
    }
}

void CommitQueue::Finish(const Batch& batch, std::exception_ptr error)
{
    for (auto* ticket : batch) {
        if (ticket->then) {
            const std::unique_ptr<Ticket> owned(ticket);
            ticket->then(ticket->stamp, error);
            continue;
        }
        ticket->error = error;
        // Notified under the lock: the waiter may return, and destroy the ticket, once it is released.
        std::lock_guard lock(ticket->mutex);
        ticket->done = true;
        ticket->wake.notify_one();
    }
}

} // namespace orvserver
