#pragma once
// The Qt Charts view of one landuse::Chart. It follows the chart through its
// observer notices, gathers appended points, new series and their looks, and
// hands them to Qt in batches at most four times a second, never one by one:
// each batch costs Qt a new outline of every series (milliseconds for the
// main chart), however few points it brings.

#include <QChartView>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QTimer>

#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "chart/chart.h"

QT_BEGIN_NAMESPACE
class QLineSeries;
class QRubberBand;
class QValueAxis;
QT_END_NAMESPACE

namespace landuse::ui {

// The part of a line's points that can show on a grid of pixel columns
// spanning x0..x1 (and, with markers, of pixel rows spanning y0..y1). A
// line keeps per run of points in one column the first, lowest, highest
// and last point, in their order: the same line, to a pixel at its turns,
// however many points the column holds, at a cost to Qt that grows with
// the plot's width instead of the series' length. With markers the first
// and the last point of each run on one pixel are kept. Points that are
// not finite are dropped: Qt would draw nothing of a series holding one.
struct PixelGrid {
    double x0 = 0, x1 = 1;
    int columns = 1;
    double xShift = 0; // where x0 lies in its pixel, 0 to 1
    double y0 = 0, y1 = 1;
    int rows = 0; // 0: columns only, for a line without markers
    double yShift = 0; // where y0 lies in its pixel, counted downwards

    friend bool operator==(const PixelGrid&, const PixelGrid&) = default;
};
QList<QPointF> ReduceToPixels(const std::vector<double>& x, const std::vector<double>& y, const PixelGrid& grid);

// Distance between axis labels: the smallest of increment (or, without
// one, of a power of ten) times 1, 2 or 5, times a power of ten, that puts
// at most maxTicks steps into span.
double TickStep(double span, int maxTicks, double increment);

class ChartView : public QChartView {
    Q_OBJECT

public:
    // As often as anyone reads a curve; a quiet spell's change shows at once.
    static constexpr int FlushIntervalMs = 250;

    explicit ChartView(QWidget* parent = nullptr);
    explicit ChartView(Chart* chart, QWidget* parent = nullptr);
    ~ChartView() override;

    // The view never owns the chart. The chart may outlive the view, be
    // detached with setChart(nullptr) first, or be destroyed first: the
    // view then learns of it when the chart drops the observer and shows an
    // empty chart. Replaces QChartView::setChart, whose QChart stays.
    void setChart(Chart* chart);
    Chart* modelChart() const { return model_; }

    // Applies the points and the chart's looks (legend, axes, border, which
    // have no notices of their own) gathered since the last flush; the
    // timer calls it, and so may anyone who needs the view current now.
    void flushNow();
    bool flushPending() const { return flushTimer_.isActive(); }
    // Flushes follow each other at least this far apart (FlushIntervalMs
    // unless set); a change after a quiet spell flushes at the next pass of
    // the event loop.
    void setFlushInterval(int milliseconds) { flushInterval_ = milliseconds; }

    // Zoom: dragging a rectangle down and right with the left button zooms
    // into it, dragging up and left undoes the zoom. The ranges shown stay
    // as zoomed, whatever the data do, until undoZoom.
    void zoomTo(const QRect& viewRect);
    void undoZoom();
    bool isZoomed() const { return zoomed_; }

    // Paints the current chart into image, scaled to fill it; a null image
    // becomes one of the view's size. Works on a hidden view and offscreen.
    void renderTo(QImage& image);
    QImage renderImage();

    // The Qt objects showing the model, for the windows and the tests. A
    // series added to the chart gets its Qt series at the next flush; null
    // before.
    QLineSeries* qtSeries(const Series& series) const;
    QValueAxis* leftAxis() const { return axes_[Left]; }
    QValueAxis* rightAxis() const { return axes_[Right]; }
    QValueAxis* bottomAxis() const { return axes_[Bottom]; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum AxisSlot { Left, Right, Bottom };
    struct Link;
    struct Entry;
    struct Range {
        double min = 0, max = 1;
    };
    using Ranges = std::array<Range, 3>; // by AxisSlot
    struct Looks;

    void onChartEvent(const ChartEvent& event);
    void onChartDestroyed();
    void detach();
    void restart();
    void addEntry(const Series& series);
    void removeEntry(const Series* series); // compares the pointer only
    Entry* find(const Series* series) const;
    void showSeries();
    void applyStyle(Entry& entry);
    void applyTitle();
    void applyLooks();
    void scheduleFlush();
    void scanPoints();
    void showPoints(const Ranges& ranges); // the stale series' points, for the plot as it is
    Ranges targetRanges() const;
    PixelGrid gridFor(const Entry& entry, const Ranges& ranges, const QRectF& plot) const;
    void setAxisRange(AxisSlot slot, Range range);
    const Axis& axisModel(AxisSlot slot) const;
    Range dataRange(AxisSlot slot) const;
    int maxTicks(AxisSlot slot) const;
    bool anyActiveOn(VerticalAxis axis) const;

    Chart* model_ = nullptr;
    ObserverList::Id observerId_ = 0;
    std::weak_ptr<Link> link_;

    std::vector<std::unique_ptr<Entry>> entries_; // in the chart's order
    std::unordered_map<const Series*, Entry*> bySeries_;

    QValueAxis* axes_[3] = {};
    std::unique_ptr<Looks> applied_; // null: apply at the next flush
    QTimer flushTimer_;
    int flushInterval_ = FlushIntervalMs;
    QElapsedTimer sinceFlush_;
    bool laying_ = false; // within a flush's own layout

    bool zoomed_ = false;
    Ranges zoom_;
    QRubberBand* rubberBand_ = nullptr;
    QPoint dragOrigin_;
    bool dragging_ = false;
};

} // namespace landuse::ui
