#pragma once
// Stopping a headless program by a signal: the handler only notes the
// signal, and the program ends its work at the next point that asks.

#include <initializer_list>

namespace landuse {

struct StopHandling {
    // The first signal puts back the default action, so a second one ends
    // the process at once; otherwise every signal only asks to stop.
    bool secondEndsAtOnce = false;
};

// Catches each of `signals`. A signal but SIGTERM that the process started
// with ignored stays ignored: a background job of a shell starts with
// SIGINT ignored, a command under nohup with SIGHUP, and means to stay so.
// Without SA_RESTART, so a wait (for a pipe's reader) ends at the signal.
void InstallStopHandlers(std::initializer_list<int> signals, StopHandling handling = {});

// The signal that asked to stop, or 0.
int StopSignal();

// "SIGINT", "SIGTERM", "SIGHUP", or "a signal".
const char* SignalName(int signal);

} // namespace landuse
