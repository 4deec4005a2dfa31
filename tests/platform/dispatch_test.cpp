#include "platform/dispatch.h"

#include "fakes.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <new>

namespace chaos {
namespace {

// The failure as the test words it: its problem's number and its value.
std::string worded(const Failure& failure) {
    return std::to_string(static_cast<int>(failure.problem)) + ":" + failure.value;
}

TEST(Dispatcher, QuietWhenTheHandlerSucceeds) {
    testing::FakeMessages messages;
    int ran = 0;
    Dispatcher(messages, worded).run([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(Dispatcher, TurnsAnEscapingErrorIntoOneClearMessage) {
    struct Case { std::function<void()> raise; std::string text; };
    const Case table[] = {
        {[] { throw ProgramError(ErrorKind::Subscript, Problem::NoSuchAnchor, "7"); },
         worded({Problem::NoSuchAnchor, "7"})},
        {[] { throw std::bad_alloc(); }, worded({Problem::OutOfMemory, ""})},
        {[] { throw std::runtime_error("disk on fire"); }, worded({Problem::Unexpected, "disk on fire"})},
        {[] { throw 42; }, worded({Problem::Unknown, ""})},
    };
    for (const auto& row : table) {
        testing::FakeMessages messages;
        Dispatcher(messages, worded).run(row.raise);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, row.text);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    }
}

TEST(Dispatcher, KeepsWhatTheHandlerDidBeforeTheError) {
    testing::FakeMessages messages;
    int steps = 0;
    Dispatcher(messages, worded).run([&] {
        ++steps;
        throw ProgramError(ErrorKind::Subscript, Problem::NoSuchAnchor, "1");
        ++steps;
    });
    EXPECT_EQ(steps, 1);
}

TEST(Dispatcher, SurvivesAFailingMessageBox) {
    class Broken : public MessageBox {
        void show(const std::string&, MessageKind) override { throw std::runtime_error("no screen"); }
    } broken;
    Dispatcher(broken, worded).run([] { throw ProgramError(ErrorKind::Overflow, Problem::TooManyAnchors); });
    SUCCEED();
}

} // namespace
} // namespace chaos
