#include "link/TaskThread.h"

namespace kzo::link {

void TaskThread::post(std::function<void()> job)
{
    std::lock_guard lock(lock_);
    if (stopped_)
        return;
    jobs_.push_back(std::move(job));
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
    wake_.notify_one();
}

void TaskThread::stop()
{
    std::thread finished;
    {
        std::lock_guard lock(lock_);
        stopped_ = true;
        jobs_.clear();
        finished = std::move(thread_);
    }
    wake_.notify_one();
    if (finished.joinable() && finished.get_id() != std::this_thread::get_id())
        finished.join();
    else if (finished.joinable())
        finished.detach(); // stopped from one of its own jobs: it ends when that job returns
}

void TaskThread::run()
{
    std::unique_lock lock(lock_);
    for (;;) {
        wake_.wait(lock, [this] { return stopped_ || !jobs_.empty(); });
        if (stopped_)
            return;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

} // namespace kzo::link
