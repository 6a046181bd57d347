#include "batch/batch_progress.h"

#include "model/numtext.h"

#include <chrono>
#include <cmath>

namespace landuse {

namespace {

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

constexpr double BarInterval = 0.25;   // s between redraws of the bar
constexpr double LineInterval = 60.0;  // s between plain lines
constexpr int BarWidth = 24;

} // namespace

BatchProgress::BatchProgress(uint64_t total, uint64_t done, bool terminal, std::FILE* out, Seconds clock)
    : total_(total), before_(done), terminal_(terminal), out_(out), clock_(clock ? std::move(clock) : steadySeconds),
      start_(clock_()), lastShown_(start_)
{
}

std::string BatchProgress::status() const
{
    const uint64_t done = before_ + finished_;
    std::string text = IntToStr(int64_t(done)) + "/" + IntToStr(int64_t(total_)) + " runs";
    const double minutes = elapsed() / 60.0;
    if (finished_ > 0 && minutes > 0) {
        const double rate = double(finished_) / minutes;
        text += ", " + FixedText(rate, 1) + " runs/min";
        if (done < total_)
            text += ", about " + ClockText(uint64_t(std::llround(double(total_ - done) / rate * 60.0))) + " left";
    }
    return text;
}

void BatchProgress::show()
{
    const double now = clock_();
    if (terminal_) {
        if (barShown_ && now - lastShown_ < BarInterval)
            return;
        const uint64_t done = before_ + finished_;
        const int filled = total_ ? int(double(BarWidth) * double(done) / double(total_)) : BarWidth;
        std::string bar = "\r[" + std::string(size_t(filled), '#') + std::string(size_t(BarWidth - filled), '-') + "] ";
        std::fprintf(out_, "%s%s\033[K", bar.c_str(), status().c_str());
        barShown_ = true;
    } else {
        if (now - lastShown_ < LineInterval)
            return;
        std::fprintf(out_, "landuse-batch: %s\n", status().c_str());
    }
    std::fflush(out_);
    lastShown_ = now;
}

void BatchProgress::clear()
{
    if (terminal_ && barShown_) {
        std::fputs("\r\033[K", out_);
        std::fflush(out_);
        barShown_ = false;
    }
}

} // namespace landuse
