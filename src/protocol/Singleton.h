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
    // Publishes this base sub-object; instance() turns it into the complete
    // object once it exists (casting to T here, while T is not built yet, is
    // undefined behaviour).
    SingletonEx() { instancePtr().store(this, std::memory_order_release); }
    virtual ~SingletonEx()
    {
        // Clear only if still ours, so a dangling pointer is never handed out.
        SingletonEx* self = this;
        instancePtr().compare_exchange_strong(self, nullptr);
    }
    SingletonEx(const SingletonEx&) = delete;
    SingletonEx& operator=(const SingletonEx&) = delete;

    static T* instance()
    {
        SingletonEx* base = instancePtr().load(std::memory_order_acquire);
        return base ? static_cast<T*>(base) : nullptr;
    }

private:
    static std::atomic<SingletonEx*>& instancePtr()
    {
        static std::atomic<SingletonEx*> p{nullptr};
        return p;
    }
};
