// The runners' stop by a signal, in this test's own process.

#include "app/stop_signal.h"

#include <gtest/gtest.h>

#include <signal.h>

namespace {

using namespace landuse;

struct sigaction actionOf(int signal)
{
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    return action;
}

TEST(StopSignal, ASignalIsNotedAndASecondEndsAtOnceOnlyWhereAsked)
{
    // Ignored at the start: SIGHUP stays so, SIGTERM is caught all the same.
    signal(SIGHUP, SIG_IGN);
    signal(SIGTERM, SIG_IGN);
    InstallStopHandlers({SIGUSR2, SIGHUP, SIGTERM});
    EXPECT_EQ(actionOf(SIGHUP).sa_handler, SIG_IGN);
    EXPECT_NE(actionOf(SIGTERM).sa_handler, SIG_IGN);
    EXPECT_EQ(actionOf(SIGTERM).sa_flags & SA_RESTART, 0);

    raise(SIGUSR2);
    EXPECT_EQ(StopSignal(), SIGUSR2);
    EXPECT_NE(actionOf(SIGUSR2).sa_handler, SIG_DFL); // a second one would only ask again

    InstallStopHandlers({SIGUSR1}, {.secondEndsAtOnce = true});
    raise(SIGUSR1);
    EXPECT_EQ(StopSignal(), SIGUSR1);
    EXPECT_EQ(actionOf(SIGUSR1).sa_handler, SIG_DFL);

    for (const int s : {SIGUSR1, SIGUSR2, SIGHUP, SIGTERM})
        signal(s, SIG_DFL);
    EXPECT_STREQ(SignalName(SIGHUP), "SIGHUP");
    EXPECT_STREQ(SignalName(SIGTERM), "SIGTERM");
    EXPECT_STREQ(SignalName(SIGUSR1), "a signal");
}

} // namespace
