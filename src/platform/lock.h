#pragma once
// Recursive lock standing where the critical section stood.
#include <mutex>

namespace plat {

class CriticalSection {
public:
    void Lock() { m_.lock(); }
    void Unlock() { m_.unlock(); }

private:
    std::recursive_mutex m_;
};

class LockGuard {
public:
    explicit LockGuard(CriticalSection& cs) : cs_(cs) { cs_.Lock(); }
    ~LockGuard() { cs_.Unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CriticalSection& cs_;
};

} // namespace plat
