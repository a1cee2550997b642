// A reader the test holds at a gate, and a sink that counts what it was told.
// Waits are on condition variables with a generous safety limit, never on time.
#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "monthly_loader.h"

namespace loadertest {

using daybrim::monthly::LoadedRange;

struct Events {
    std::mutex m;
    std::condition_variable cv;

    // Waits until `done` holds (checked under the lock); false after the limit,
    // which only a hung loader reaches.
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(60), done);
    }
    void Notify() { cv.notify_all(); }
};

class GatedReader : public daybrim::monthly::RangeReader {
public:
    explicit GatedReader(Events& ev) : ev_(ev) {}
    std::unique_ptr<LoadedRange> Load(int first, int last) override {
        std::unique_lock<std::mutex> lock(ev_.m);
        started.push_back(first);
        ev_.cv.notify_all();
        ev_.cv.wait(lock, [&] { return open || int(started.size()) <= passes; });
        if (last - first != 41) torn = true;  // every request here is six weeks
        auto r = std::make_unique<LoadedRange>();
        r->first = first;
        r->last = last;
        return r;
    }
    // Under ev.m:
    bool open = false;   // every load passes
    int passes = 0;      // loads let through while closed
    bool torn = false;
    std::vector<int> started;

private:
    Events& ev_;
};

class CountingSink : public daybrim::monthly::LoaderSink {
public:
    explicit CountingSink(Events& ev) : ev_(ev) {}
    void Loaded() override {
        std::lock_guard<std::mutex> lock(ev_.m);
        ++loaded;
        ev_.cv.notify_all();
    }
    void Ended() override {
        std::lock_guard<std::mutex> lock(ev_.m);
        ++ended;
        ev_.cv.notify_all();
    }
    int loaded = 0, ended = 0;  // under ev.m

private:
    Events& ev_;
};

}  // namespace loadertest
