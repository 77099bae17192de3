#pragma once
// A device reply copied on the thread that delivers frames and taken once on
// the GUI thread: each arrival is shown at most once.
#include <mutex>
#include <optional>

namespace kzo::pages {

// The value when `fresh` is set, clearing it; for callers holding their own lock.
template <class T>
std::optional<T> takeIfFresh(bool& fresh, const T& value)
{
    if (!fresh)
        return std::nullopt;
    fresh = false;
    return value;
}

// One reply under its own lock.
template <class T>
class TakeOnce {
public:
    void put(const T& v)
    {
        std::lock_guard guard(lock);
        value = v;
        fresh = true;
    }
    std::optional<T> take()
    {
        std::lock_guard guard(lock);
        return takeIfFresh(fresh, value);
    }
    // Forgets an arrival not taken yet.
    void clear()
    {
        std::lock_guard guard(lock);
        fresh = false;
    }

private:
    std::mutex lock;
    T value{};
    bool fresh = false;
};

} // namespace kzo::pages
