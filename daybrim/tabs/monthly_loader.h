// The monthly calendar's loader: one worker thread that reads the appointments of
// the days the calendar shows, so that changing months never waits for the
// database. Platform-neutral (std::thread); the handheld calendar gives it a
// reader over the PIM databases and a sink that posts to its window.
//
// The request is guarded by a mutex and the worker sleeps on a condition
// variable. A request made while the worker is busy replaces any request not yet
// taken (the latest wins) and is served as soon as the worker is free: none is
// dropped. Results are handed over through a slot the window takes from, so
// the worker never blocks on the window's thread and Stop can always join it.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace daybrim {
namespace monthly {

// What a reader loaded for a range of days; the reader's own type.
struct LoadedRange {
    int first = 0, last = -1;
    virtual ~LoadedRange() = default;
};

// Reads one range; called on the worker thread only, never at the same time.
class RangeReader {
public:
    virtual ~RangeReader() = default;
    virtual std::unique_ptr<LoadedRange> Load(int first, int last) = 0;
};

// Told on the worker thread; must not wait for the window's thread.
class LoaderSink {
public:
    virtual ~LoaderSink() = default;
    // A result is ready in the slot (the window takes it with TakeLoaded).
    virtual void Loaded() = 0;
    // The worker ended after Finish.
    virtual void Ended() = 0;
};

class Loader {
public:
    // Neither is owned; both outlive the loader's thread.
    Loader(RangeReader* reader, LoaderSink* sink) : reader_(reader), sink_(sink) {}
    ~Loader() { Stop(); }
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // A reader for the next worker; any worker running is stopped first. Without
    // a reader requests are ignored.
    void SetReader(RangeReader* reader) {
        Stop();
        reader_ = reader;
    }
    // Asks for a range, starting the worker when there is none.
    void Request(int first, int last);
    // The latest loaded range, or null; results older than the one taken are gone.
    std::unique_ptr<LoadedRange> TakeLoaded();
    // Lets the worker finish what it is reading and end without waiting for it;
    // it tells the sink Ended. False when no worker runs (nothing will be told).
    bool Finish();
    // Ends the worker and waits for it. Safe at any moment, repeatedly.
    void Stop();

    bool Running() const;
    bool Busy() const;

private:
    void Run();

    RangeReader* reader_;
    LoaderSink* sink_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    bool busy_ = false;
    bool finishing_ = false;  // told to end by Finish: Ended is owed
    bool hasRequest_ = false;
    int requestFirst_ = 0, requestLast_ = -1;
    std::unique_ptr<LoadedRange> loaded_;
    std::thread thread_;
};

}  // namespace monthly
}  // namespace daybrim
