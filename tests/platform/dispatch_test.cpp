#include "platform/dispatch.h"

#include "fakes.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <new>

namespace chaos {
namespace {

TEST(Dispatcher, QuietWhenTheHandlerSucceeds) {
    testing::FakeMessages messages;
    int ran = 0;
    Dispatcher(messages).run([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(Dispatcher, TurnsAnEscapingErrorIntoOneClearMessage) {
    struct Case { std::function<void()> raise; std::string text; };
    const Case table[] = {
        {[] { throw ProgramError(ErrorKind::Overflow, "Too many anchor points: at most 32767 can be placed."); },
         "Too many anchor points: at most 32767 can be placed."},
        {[] { throw std::bad_alloc(); },
         "There is not enough memory to finish this. What was drawn so far is kept."},
        {[] { throw std::runtime_error("disk on fire"); },
         "Something went wrong: disk on fire. What was drawn so far is kept."},
        {[] { throw 42; }, "Something went wrong. What was drawn so far is kept."},
    };
    for (const auto& row : table) {
        testing::FakeMessages messages;
        Dispatcher(messages).run(row.raise);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, row.text);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    }
}

TEST(Dispatcher, KeepsWhatTheHandlerDidBeforeTheError) {
    testing::FakeMessages messages;
    int steps = 0;
    Dispatcher(messages).run([&] {
        ++steps;
        throw ProgramError(ErrorKind::Subscript, "x");
        ++steps;
    });
    EXPECT_EQ(steps, 1);
}

TEST(Dispatcher, SurvivesAFailingMessageBox) {
    class Broken : public MessageBox {
        void show(const std::string&, MessageKind) override { throw std::runtime_error("no screen"); }
    } broken;
    Dispatcher(broken).run([] { throw ProgramError(ErrorKind::Overflow, "x"); });
    SUCCEED();
}

} // namespace
} // namespace chaos
