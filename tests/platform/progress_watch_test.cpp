#include "platform/progress_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chaos {
namespace {

using namespace std::chrono_literals;

ProgressWatch::Clock::time_point fakeNow;
ProgressWatch::Clock::time_point readFakeClock() { return fakeNow; }

class RecordingView : public ProgressView {
public:
    std::vector<std::string> log;
    bool cancel = false;
    void show(std::uint64_t total) override { log.push_back("show " + std::to_string(total)); }
    bool update(std::uint64_t done) override {
        log.push_back("update " + std::to_string(done));
        return !cancel;
    }
    void hide() override { log.push_back("hide"); }
};

TEST(ProgressWatch, ShortDrawsShowNothing) {
    RecordingView view;
    ProgressWatch watch(view, &readFakeClock);
    watch.started(1000);
    for (int done = 100; done <= 1000; done += 100) {
        fakeNow += 40ms;
        EXPECT_TRUE(watch.keepGoing(done));
    }
    watch.finished();
    EXPECT_TRUE(view.log.empty());
}

TEST(ProgressWatch, AppearsAfterHalfASecondThenRefreshesEveryInterval) {
    RecordingView view;
    ProgressWatch watch(view, &readFakeClock);
    watch.started(5000);
    fakeNow += 499ms;
    watch.keepGoing(1000);
    fakeNow += 1ms;
    watch.keepGoing(2000);
    fakeNow += 10ms;
    watch.keepGoing(3000);  // within the interval: not refreshed
    fakeNow += 30ms;
    watch.keepGoing(4000);
    watch.finished();
    const std::vector<std::string> expected = {"show 5000", "update 2000", "update 4000", "hide"};
    EXPECT_EQ(view.log, expected);
}

TEST(ProgressWatch, CancelFromTheViewStopsTheDraw) {
    RecordingView view;
    ProgressWatch watch(view, &readFakeClock);
    watch.started(10);
    view.cancel = true;
    fakeNow += 1s;
    EXPECT_FALSE(watch.keepGoing(5));
}

TEST(ProgressWatch, EachDrawStartsQuietAgain) {
    RecordingView view;
    ProgressWatch watch(view, &readFakeClock);
    watch.started(10);
    fakeNow += 1s;
    watch.keepGoing(5);
    watch.finished();
    view.log.clear();
    watch.started(10);
    fakeNow += 100ms;
    watch.keepGoing(5);
    watch.finished();
    EXPECT_TRUE(view.log.empty());
}

} // namespace
} // namespace chaos
