#pragma once
// A single background thread that runs posted jobs in order. The device I/O
// uses it to close a port whose listener thread saw the device go away: that
// thread cannot join itself.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kzo::link {

class TaskThread {
public:
    TaskThread() = default;
    ~TaskThread() { stop(); }
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    // Starts the thread on first use; ignored after stop().
    void post(std::function<void()> job);
    // Drops the jobs not yet started and joins the thread.
    void stop();

private:
    void run();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopped_ = false;
    std::thread thread_;
};

} // namespace kzo::link
