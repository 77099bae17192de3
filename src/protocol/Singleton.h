#pragma once
// Two process-wide access patterns: a single instance behind a free accessor
// (Singleton), or a base that publishes the complete object (SingletonEx).
#include <atomic>

template <class T>
class Singleton {
public:
    virtual ~Singleton() = default;
};

template <class T>
class SingletonEx {
public:
    SingletonEx() { instancePtr().store(static_cast<T*>(this), std::memory_order_release); }
    virtual ~SingletonEx()
    {
        // Clear only if still ours, so a dangling pointer is never handed out.
        T* self = static_cast<T*>(this);
        instancePtr().compare_exchange_strong(self, nullptr);
    }
    SingletonEx(const SingletonEx&) = delete;
    SingletonEx& operator=(const SingletonEx&) = delete;

    static T* instance() { return instancePtr().load(std::memory_order_acquire); }

private:
    static std::atomic<T*>& instancePtr()
    {
        static std::atomic<T*> p{nullptr};
        return p;
    }
};
