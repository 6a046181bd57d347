// The window's program before any window opens: its options and the display.

#include "support/shell.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Result = landuse::test::ShellResult;

// Runs the window's program with a given environment prefix (for env -u ...).
Result start(const std::string& environment, const std::string& args)
{
    return landuse::test::shell(environment + " " + std::string(LANDUSE_WINDOW_EXE) + " " + args + " 2>&1");
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

} // namespace

TEST(WindowStart, BadOptionsEndBeforeAnyWindowWithTheRunnersMessages)
{
    // No display either: the options are checked first.
    const std::string headless = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=";
    struct Case {
        const char* args;
        const char* line;
    } cases[] = {
        {"--set E_nope=1", "landuse: unknown control 'E_nope'"},
        {"--set TrB_thresh=999", "landuse: TrB_thresh: 999 is outside 0 to 180"},
        {"--set E_stop=", "landuse: E_stop: '' is not a valid integer value"},
        {"--steps 5", "landuse: unknown option '--steps'"},
        {"--seed x", "landuse: 'x' is not a valid value for --seed"},
        {"--kernels fast", "landuse: --kernels: 'fast' is none of best, portable or avx512"},
    };
    for (const Case& c : cases) {
        const Result r = start(headless, c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(firstLine(r.output), c.line) << c.args;
    }
    const Result help = start(headless, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: landuse [--seed S]", 0), 0u) << help.output;
}

TEST(WindowStart, WithoutADisplayItSaysSoInOneLine)
{
    const Result unset = start("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=", "--seed 1");
    EXPECT_EQ(unset.status, 2);
    EXPECT_EQ(unset.output,
              "landuse: no display to open the window on (DISPLAY is not set); run the window under a virtual "
              "display (xvfb-run build/app/landuse) or without a window (landuse-run)\n");
    const Result gone = start("env -u WAYLAND_DISPLAY QT_QPA_PLATFORM= DISPLAY=:987", "");
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(firstLine(gone.output).rfind("landuse: no display :987 to open the window on (nothing listens at "
                                           "/tmp/.X11-unix/X987)",
                                           0),
              0u)
        << gone.output;
}
