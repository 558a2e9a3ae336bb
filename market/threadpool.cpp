#include "threadpool.h"

#include <algorithm>

namespace tickora::market {

BoundedThreadPool::BoundedThreadPool(size_t threads, size_t maxQueued)
    : m_maxQueued(std::max<size_t>(1, maxQueued))
{
    for (size_t i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

BoundedThreadPool::~BoundedThreadPool()
{
    shutdown();
}

void BoundedThreadPool::enqueue(std::function<void()> job)
{
    std::unique_lock lock(m_mutex);
    m_hasRoom.wait(lock, [this] { return m_jobs.size() < m_maxQueued || m_shutdown; });
    m_jobs.push_back(std::move(job));
    m_hasJob.notify_one();
}

void BoundedThreadPool::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
    }
    m_hasJob.notify_all();
    m_hasRoom.notify_all();
    for (std::thread& t : m_threads)
        if (t.joinable())
            t.join();
}

size_t BoundedThreadPool::queued() const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.size();
}

void BoundedThreadPool::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_hasJob.wait(lock, [this] { return !m_jobs.empty() || m_shutdown; });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        m_hasRoom.notify_one();
        job();
    }
}

} // namespace tickora::market
