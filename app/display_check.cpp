#include "app/display_check.h"

#include <filesystem>
#include <string_view>

namespace landuse {

namespace {

bool set(const char* value) { return value && *value; }

constexpr const char* Advice =
    "; run the window under a virtual display (xvfb-run build/app/landuse) or without a window (landuse-run)";

} // namespace

std::optional<std::string> MissingDisplay(const char* platform, const char* display, const char* wayland)
{
    // Platforms without a display server (offscreen, vnc, ...) need none.
    if (set(platform) && !std::string_view(platform).starts_with("xcb")
        && !std::string_view(platform).starts_with("wayland"))
        return std::nullopt;
    if (set(wayland))
        return std::nullopt;
    if (!set(display))
        return std::string("no display to open the window on (DISPLAY is not set)") + Advice;
    // A local display ":N" or ":N.S" listens on a socket of its own.
    const std::string_view name(display);
    if (name.starts_with(':')) {
        const std::string_view number = name.substr(1, name.find('.') == std::string_view::npos
                                                           ? std::string_view::npos
                                                           : name.find('.') - 1);
        const std::filesystem::path socket = "/tmp/.X11-unix/X" + std::string(number);
        std::error_code ignored;
        if (!std::filesystem::exists(socket, ignored))
            return "no display " + std::string(name) + " to open the window on (nothing listens at "
                + socket.string() + ")" + Advice;
    }
    return std::nullopt;
}

} // namespace landuse
