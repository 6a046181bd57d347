// landuse: the main window.

#include "app/display_check.h"
#include "app/run_options.h"
#include "app/message_line.h"
#include "app/usage_text.h"
#include "model/register.h"
#include "ui/main_window.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

using namespace landuse;

int main(int argc, char** argv)
{
    constexpr int ExitBad = 2;
    RunOptions options;
    ui::WindowStart start;
    try {
        options = ParseWindowOptions(argc, argv);
        start.kernels = ChooseKernels(options.kernels, std::getenv("LANDUSE_KERNELS"));
        // Settings are checked before any window opens, as the runner checks them.
        ParamRegister check;
        for (const std::string& setting : options.assignments)
            check.assign(setting);
    } catch (const std::exception& e) {
        std::cerr << "landuse: " << OneLine(e.what()) << '\n' << UsageText(WindowProgram());
        return ExitBad;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? HelpText(WindowProgram()) : VersionText(WindowProgram()));
        return 0;
    }
    if (const std::optional<std::string> why
        = MissingDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        std::cerr << "landuse: " << OneLine(*why) << '\n';
        return ExitBad;
    }
    if (options.seed)
        start.seed = *options.seed;
    start.settings = options.assignments;

    QApplication app(argc, argv);
    // Lets a desktop match the window to landuse.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("landuse"));
    try {
        ui::TForm1 form(start);
        form.show();
        return app.exec();
    } catch (const std::exception& e) {
        std::cerr << "landuse: " << OneLine(e.what()) << '\n';
        return ExitBad;
    }
}
