#pragma once
// TForm2, the rank-size window: the log-log and the linear distribution of
// the settled tiles, the table of measures and the table of the newest
// measure's tiles against the ideal distribution. It shows the simulation's
// rank-size state and follows it through the charts' and grids' notices.

#include "ui/frame_gate.h"

#include <QWidget>

#include <memory>

class QPushButton;
class QTableView;

namespace landuse {
class RankSizeWindow;
}

namespace landuse::ui {

class ChartView;
class TextGridModel;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // A run at full speed measures twenty times a second; the window follows
    // at most this often, as often as anyone reads a family of curves or a
    // table. Each catch-up outlines every measure's series again (about 8 ms
    // for both charts after 800 steps).
    static constexpr int FollowMilliseconds = 500;

    explicit TForm2(RankSizeWindow& state, QWidget* parent = nullptr);
    ~TForm2() override;

    ChartView* rankSize() const { return rankSize_; }
    ChartView* linear() const { return linear_; }
    QTableView* ana1() const { return ana1_; }
    QTableView* ana2() const { return ana2_; }

    // Undoes any mouse zoom of C_RankSize, then of C_Linear.
    void B_undoZoomClick();
    // The client area as a picture, also while the window is hidden.
    QImage picture();

private:
    QTableView* makeGrid(const char* name, TextGridModel* model);

    RankSizeWindow& state_;
    ChartView* rankSize_;
    ChartView* linear_;
    QPushButton* undoZoom_;
    TextGridModel* model1_;
    TextGridModel* model2_;
    QTableView* ana1_;
    QTableView* ana2_;
    FrameGate gridFrames_;
    uint64_t gridsListener_ = 0;
};

} // namespace landuse::ui
