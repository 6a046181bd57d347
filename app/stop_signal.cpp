#include "app/stop_signal.h"

#include <signal.h>

#include <csignal>

namespace landuse {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal) { stopSignal = signal; }

} // namespace

void InstallStopHandlers(std::initializer_list<int> signals, StopHandling handling)
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = handling.secondEndsAtOnce ? SA_RESETHAND : 0;
    for (const int signal : signals) {
        struct sigaction old {};
        if (signal != SIGTERM && sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

int StopSignal() { return stopSignal; }

const char* SignalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

} // namespace landuse
