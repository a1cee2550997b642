// The loader thread's hand-over: requests that meet a busy worker, finishing
// while a read is under way, and ending the loader at any moment.
#include <gtest/gtest.h>

#include "loader_fakes.h"

using namespace daybrim::monthly;
using namespace loadertest;

namespace {

struct Rig {
    Events ev;
    GatedReader reader{ev};
    CountingSink sink{ev};
    Loader loader{&reader, &sink};

    void Open() {
        std::lock_guard<std::mutex> lock(ev.m);
        reader.open = true;
        ev.cv.notify_all();
    }
    bool WaitStarted(size_t n) {
        return ev.WaitFor([&] { return reader.started.size() >= n; });
    }
    bool WaitLoaded(int n) {
        return ev.WaitFor([&] { return sink.loaded >= n; });
    }
};

}  // namespace

TEST(MonthlyLoader, RequestsMeetingABusyWorkerAreKeptAndTheLatestWins) {
    // Requests made while the first read is held: which are read afterwards.
    struct Case { std::vector<int> whileBusy; std::vector<int> read; };
    const Case cases[] = {
        {{}, {100}},
        {{200}, {100, 200}},
        {{200, 300, 400}, {100, 400}},
        {{100}, {100, 100}},  // the same month again is read again: the data may have changed
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.loader.Request(100, 141);
        ASSERT_TRUE(rig.WaitStarted(1));
        for (int f : c.whileBusy) rig.loader.Request(f, f + 41);
        EXPECT_TRUE(rig.loader.Busy());
        rig.Open();
        ASSERT_TRUE(rig.WaitLoaded(1));
        // Only the result of the last request is shown.
        std::unique_ptr<LoadedRange> got;
        ASSERT_TRUE(rig.ev.WaitFor([&] { return rig.reader.started.size() == c.read.size() && !rig.loader.Busy(); }));
        got = rig.loader.TakeLoaded();
        ASSERT_TRUE(got);
        EXPECT_EQ(c.read.back(), got->first);
        EXPECT_EQ(c.read.back() + 41, got->last);
        rig.loader.Stop();
        EXPECT_EQ(c.read, rig.reader.started);
        EXPECT_EQ(1, rig.sink.loaded);
        EXPECT_EQ(0, rig.sink.ended);  // Stop owes no notice
        EXPECT_FALSE(rig.reader.torn);
    }
}

TEST(MonthlyLoader, FinishLetsTheReadEndThenTellsOnce) {
    Rig rig;
    rig.loader.Request(100, 141);
    ASSERT_TRUE(rig.WaitStarted(1));
    EXPECT_TRUE(rig.loader.Finish());
    EXPECT_FALSE(rig.loader.Running());
    EXPECT_FALSE(rig.loader.Finish());
    rig.Open();
    ASSERT_TRUE(rig.ev.WaitFor([&] { return rig.sink.ended == 1; }));
    rig.loader.Stop();
    EXPECT_EQ(0, rig.sink.loaded);  // the closing calendar paints nothing more
    EXPECT_EQ(1, rig.sink.ended);
    EXPECT_FALSE(rig.loader.TakeLoaded());

    // Used again after that, a new worker serves the request.
    rig.loader.Request(300, 341);
    ASSERT_TRUE(rig.WaitLoaded(1));
    auto got = rig.loader.TakeLoaded();
    ASSERT_TRUE(got);
    EXPECT_EQ(300, got->first);
}

TEST(MonthlyLoader, EndsSafelyWhateverItIsDoing) {
    enum When { kIdle, kWaiting, kReading, kReadingWithRequest, kFinishing, kNeverStarted };
    for (When w : {kIdle, kWaiting, kReading, kReadingWithRequest, kFinishing, kNeverStarted}) {
        Events ev;
        GatedReader reader(ev);
        CountingSink sink(ev);
        std::thread opener;
        {
            Loader loader(&reader, &sink);
            if (w != kNeverStarted) loader.Request(100, 141);
            if (w == kIdle || w == kWaiting) {
                {
                    std::lock_guard<std::mutex> lock(ev.m);
                    reader.open = true;
                    ev.cv.notify_all();
                }
                if (w == kIdle) {
                    ASSERT_TRUE(ev.WaitFor([&] { return sink.loaded == 1; }));
                }
            } else if (w != kNeverStarted) {
                ASSERT_TRUE(ev.WaitFor([&] { return !reader.started.empty(); }));
                if (w == kReadingWithRequest) loader.Request(200, 241);
                if (w == kFinishing) loader.Finish();
                // The read ends while the loader is being destroyed.
                opener = std::thread([&] {
                    std::lock_guard<std::mutex> lock(ev.m);
                    reader.open = true;
                    ev.cv.notify_all();
                });
            }
        }  // destroyed here: joins the worker
        if (opener.joinable()) opener.join();
        EXPECT_LE(reader.started.size(), 2u) << w;
        EXPECT_EQ(w == kFinishing ? 1 : 0, sink.ended) << w;
    }
}
