#include "monthly_loader.h"

namespace daybrim {
namespace monthly {

void Loader::Request(int first, int last) {
    if (!reader_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requestFirst_ = first;
        requestLast_ = last;
        hasRequest_ = true;
        if (running_ && !finishing_) {
            wake_.notify_one();
            return;
        }
    }
    // A worker told to finish ends after its current read; it is not revived, so
    // that the Ended it owes is never lost. The request waits for the new worker.
    if (thread_.joinable()) thread_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
        finishing_ = false;
    }
    thread_ = std::thread(&Loader::Run, this);
}

std::unique_ptr<LoadedRange> Loader::TakeLoaded() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(loaded_);
}

bool Loader::Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return false;
    running_ = false;
    finishing_ = true;
    wake_.notify_one();
    return true;
}

void Loader::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        wake_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    hasRequest_ = false;
    loaded_.reset();
}

bool Loader::Running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool Loader::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
}

void Loader::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !running_ || hasRequest_; });
        if (!running_) break;
        const int first = requestFirst_, last = requestLast_;
        hasRequest_ = false;
        busy_ = true;
        lock.unlock();
        std::unique_ptr<LoadedRange> result = reader_->Load(first, last);
        lock.lock();
        busy_ = false;
        if (!running_) break;
        // A newer request makes this result stale: only the latest is shown.
        if (!result || hasRequest_) continue;
        loaded_ = std::move(result);
        lock.unlock();
        sink_->Loaded();
        lock.lock();
    }
    const bool tell = finishing_;
    lock.unlock();
    if (tell) sink_->Ended();
}

}  // namespace monthly
}  // namespace daybrim
