#pragma once
// TForm1, the main window: the drawing panel, the five pages of controls,
// the step counter and stop field, the time-series chart, and the timer that
// steps the simulation. Controls are generated from the control table and
// kept in step with the register; buttons run the simulation's commands.

#include "render/world_raster.h"
#include "sim/simulation.h"
#include "ui/page_builder.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTabWidget;

namespace landuse::ui {

class ChartView;
class MessageStrip;
class RunRecorder;
class TForm2;
class RegisterBinding;
class WorldView;

// What the window starts from: the seed of its generator and controls set
// by name ("NAME=TEXT", as the runner takes them).
struct WindowStart {
    uint64_t seed = TRandom::clockSeed();
    std::vector<std::string> settings;
    GridKernels kernels = GridKernels::Best;
    // Where the pictures and data folders go; empty: beside the program, or
    // in the user's documents for an installed one (ChooseSaveFolder).
    std::filesystem::path programFolder;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // How long one tick of Timer1 may step before events get their turn.
    static constexpr int TickMilliseconds = 8;

    // Builds the window and runs FormCreate. Throws std::invalid_argument
    // for a setting that names no control or does not fit it.
    explicit TForm1(const WindowStart& start = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    Simulation& simulation() { return sim_; }
    const WorldRaster& raster() const { return raster_; }
    QWidget* control(Ctl id) const { return widgets_[size_t(id)]; }
    WorldView* panel() const { return panel_; }
    ChartView* chart() const { return chart_; }
    QTabWidget* pages() const { return pages_; }
    MessageStrip* messages() const { return messages_; }
    QTimer& timer() { return timer_; }
    TForm2* rankSizeWindow() const { return rankSize_.get(); }
    // The client area as the saved picture shows it, also while hidden.
    QImage picture();
    // The "record" box's recorder.
    RunRecorder& recorder() { return *recorder_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Host;

    void buildWindow();
    void connectButtons();
    void FormCreate(const WindowStart& start);
    void Timer1Timer();

    std::unique_ptr<Host> host_;
    WorldRaster raster_;
    Simulation sim_;
    ControlWidgets widgets_{};
    RegisterBinding* binding_ = nullptr;
    WorldView* panel_ = nullptr;
    ChartView* chart_ = nullptr;
    QTabWidget* pages_ = nullptr;
    MessageStrip* messages_ = nullptr;
    QTimer timer_;
    std::filesystem::path programFolder_;
    std::unique_ptr<TForm2> rankSize_;
    std::unique_ptr<RunRecorder> recorder_;
};

} // namespace landuse::ui
