// What the batch runner tells on standard error while it works.

#include "batch/batch_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace landuse;

namespace {

// Progress written into memory, on a clock the test turns.
struct Shown {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    double now = 1000.0;

    ~Shown()
    {
        std::fclose(out);
        std::free(buffer);
    }
    std::string text()
    {
        std::fflush(out);
        return std::string(buffer, size);
    }
    BatchProgress progress(uint64_t total, uint64_t done, bool terminal)
    {
        return BatchProgress(total, done, terminal, out, [this] { return now; });
    }
};

} // namespace

TEST(BatchProgress, ALogGetsALineOnceAMinute)
{
    Shown s;
    BatchProgress p = s.progress(10, 2, false);
    EXPECT_EQ(p.status(), "2/10 runs"); // no rate before a run of this start ended
    s.now += 30;
    p.runFinished();
    p.runFinished();
    p.show();
    EXPECT_EQ(s.text(), "");
    EXPECT_EQ(p.status(), "4/10 runs, 4.0 runs/min, about 1:30 left");
    s.now += 31;
    p.show();
    s.now += 10;
    p.show();
    EXPECT_EQ(s.text(), "landuse-batch: 4/10 runs, 2.0 runs/min, about 3:03 left\n");
    p.clear(); // nothing to take away from a log
    EXPECT_EQ(s.text(), "landuse-batch: 4/10 runs, 2.0 runs/min, about 3:03 left\n");
}

TEST(BatchProgress, ATerminalGetsALiveBar)
{
    Shown s;
    BatchProgress p = s.progress(4, 0, true);
    p.show();
    EXPECT_EQ(s.text(), "\r[------------------------] 0/4 runs\033[K");
    s.now += 0.1; // too soon to draw again
    p.runFinished();
    p.show();
    EXPECT_EQ(s.text(), "\r[------------------------] 0/4 runs\033[K");
    s.now += 59.9;
    p.show();
    EXPECT_EQ(s.text().substr(s.text().rfind('\r')), "\r[######------------------] 1/4 runs, 1.0 runs/min, about 3:00 left\033[K");
    p.runFinished();
    p.runFinished();
    p.runFinished();
    EXPECT_EQ(p.status(), "4/4 runs, 4.0 runs/min");
    p.clear();
    EXPECT_TRUE(s.text().ends_with("\r\033[K"));
}
