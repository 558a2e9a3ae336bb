#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tickora::market {

/// A fixed set of worker threads running jobs in order, with at most `maxQueued` jobs waiting:
/// enqueue() holds its caller while the queue is full. The server's accepting thread is that
/// caller, so further clients wait in the system's listen backlog (and are refused once it is
/// full) instead of growing this queue.
class BoundedThreadPool
{
public:
    BoundedThreadPool(size_t threads, size_t maxQueued);
    ~BoundedThreadPool();
    void enqueue(std::function<void()> job);
    /// Runs the jobs already queued, then ends the workers.
    void shutdown();
    size_t queued() const;

private:
    void work();

    const size_t m_maxQueued;
    std::vector<std::thread> m_threads;
    std::deque<std::function<void()>> m_jobs;
    bool m_shutdown = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_hasJob;
    std::condition_variable m_hasRoom;
};

} // namespace tickora::market
