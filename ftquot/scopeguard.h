#pragma once

#include <functional>
#include <utility>

// Runs its closing action when it goes out of scope, on every path out of
// a step, unless dismissed.
class ScopeGuard
{
public:
    explicit ScopeGuard(std::function<void()> onExit)
        : m_onExit(std::move(onExit))
    {
    }
    ~ScopeGuard()
    {
        if (!m_dismissed && m_onExit)
            m_onExit();
    }
    ScopeGuard(const ScopeGuard &) = delete;
    ScopeGuard &operator=(const ScopeGuard &) = delete;

    void dismiss() { m_dismissed = true; }

private:
    std::function<void()> m_onExit;
    bool m_dismissed = false;
};
