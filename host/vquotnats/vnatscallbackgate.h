#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// What the NATS client library's callbacks of an owner's subscriptions share
// with it, held by the callbacks' closures (std::shared_ptr) so that it
// outlives an owner that stops waiting for them. A message handler enters
// the gate and gets the owner, or nothing once the owner has closed it; the
// library's completion callback of a subscription says the subscription's
// handler will not run again. close() waits for both, up to a limit: a
// library that never completes a subscription cannot hold up the owner's
// destruction, and a handler that comes later finds the gate closed.
//
// Standard mutexes, condition variables and atomics, which ThreadSanitizer
// sees through, synchronise the library's threads with the owner's.
template<typename Owner>
class VNatsCallbackGate
{
public:
    explicit VNatsCallbackGate(Owner *owner)
        : m_owner(owner)
    {
    }

    // A subscription whose completion callback is set.
    void subscribed()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_live;
    }
    // Its completion callback came: its handler will not run again.
    void completed()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_live;
        m_changed.notify_all();
    }

    // The owner for a handler to use until leave(); null once closed.
    Owner *enter()
    {
        m_inside.fetch_add(1, std::memory_order_seq_cst);
        Owner *owner = m_owner.load(std::memory_order_seq_cst);
        if (!owner)
            leave();
        return owner;
    }
    void leave()
    {
        if (m_inside.fetch_sub(1, std::memory_order_seq_cst) == 1) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_changed.notify_all();
        }
    }

    // Turns every later handler away and waits, at most timeoutMs, until no
    // handler is inside and every subscription has completed; false when
    // the time ran out.
    bool close(int timeoutMs)
    {
        m_owner.store(nullptr, std::memory_order_seq_cst);
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
            return m_live <= 0 && m_inside.load(std::memory_order_seq_cst) == 0;
        });
    }

private:
    std::atomic<Owner *> m_owner;
    std::atomic<int> m_inside {0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_live = 0;
};
