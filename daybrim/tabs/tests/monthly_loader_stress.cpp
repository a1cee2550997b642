// The loader under load, built with ThreadSanitizer by the loader's race check
// (and plainly in the other builds): quick month changes while the worker reads,
// finishing and destroying it in the middle of reads. Fails on a torn request,
// a lost last month, a missing end notice, or (under the sanitizer) any race.
#include <cstdio>
#include <cstdlib>

#include "loader_fakes.h"

using namespace daybrim::monthly;
using namespace loadertest;

namespace {

int failures = 0;
void Check(bool ok, const char* what, int round) {
    if (ok) return;
    std::fprintf(stderr, "FAILED: %s (round %d)\n", what, round);
    ++failures;
}

// A reader whose every read lets the test's thread run on for a while.
class BusyReader : public RangeReader {
public:
    std::unique_ptr<LoadedRange> Load(int first, int last) override {
        if (last - first != 41) torn = true;
        volatile unsigned spin = 0;
        for (int i = 0; i < 2000; ++i) spin = spin + unsigned(i);
        ++reads;
        auto r = std::make_unique<LoadedRange>();
        r->first = first;
        r->last = last;
        return r;
    }
    bool torn = false;  // written by the worker only; read after the join
    int reads = 0;
};

void RapidNavigation(int round) {
    Events ev;
    BusyReader reader;
    CountingSink sink(ev);
    Loader loader(&reader, &sink);
    int last = 0;
    for (int i = 0; i < 300; ++i) {
        last = 40000 + (i * 37) % 900;
        loader.Request(last, last + 41);
        if (i % 7 == 0) loader.TakeLoaded();
    }
    // The month on screen at the end is always loaded.
    std::unique_ptr<LoadedRange> shown;
    const bool arrived = ev.WaitFor([&] {
        // The worker never takes ev.m while it holds the loader's lock.
        if (auto got = loader.TakeLoaded()) shown = std::move(got);
        return shown && shown->first == last;
    });
    Check(arrived, "the last month was loaded", round);
    loader.Stop();
    Check(!reader.torn, "every request read whole", round);
}

void FinishWhileReading(int round) {
    Events ev;
    BusyReader reader;
    CountingSink sink(ev);
    {
        Loader loader(&reader, &sink);
        for (int i = 0; i < 20; ++i) loader.Request(50000 + i, 50041 + i);
        loader.Finish();
        const bool ended = ev.WaitFor([&] { return sink.ended == 1; });
        Check(ended, "the end notice after Finish", round);
    }
    Check(sink.ended == 1, "exactly one end notice", round);
}

void DestroyWhileReading(int round) {
    Events ev;
    BusyReader reader;
    CountingSink sink(ev);
    {
        Loader loader(&reader, &sink);
        for (int i = 0; i < 1 + round % 5; ++i) loader.Request(60000 + i, 60041 + i);
        if (round % 3 == 0) loader.Finish();
    }
    Check(!reader.torn, "every request read whole", round);
}

}  // namespace

int main() {
    for (int round = 0; round < 40; ++round) {
        RapidNavigation(round);
        FinishWhileReading(round);
        DestroyWhileReading(round);
    }
    if (failures) return 1;
    std::puts("monthly loader stress: passed");
    return 0;
}
