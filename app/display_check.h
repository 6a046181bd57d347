#pragma once
// Whether a window can open here, checked before Qt tries: without a display
// Qt aborts the program with a core dump.

#include <optional>
#include <string>

namespace landuse {

// Why no window can open, from the environment's QT_QPA_PLATFORM, DISPLAY
// and WAYLAND_DISPLAY (each may be null); nothing when it can.
std::optional<std::string> MissingDisplay(const char* platform, const char* display, const char* wayland);

} // namespace landuse
