#include "ui/chart_view.h"

#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsLayout>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QRubberBand>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace landuse::ui {

namespace {

QColor toQColor(Rgb c) { return QColor(c.red, c.green, c.blue); }

struct Bounds {
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    bool Empty() const { return minX > maxX; }
    void Add(double x, double y)
    {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

bool drawable(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

// The looks of a chart that have no notices; kept to apply only changes.
struct AxisLooks {
    bool shown = true;
    Rgb color;
    bool gridVisible = true;
    Rgb gridColor;
    bool gridSmallDots = false;

    friend bool operator==(const AxisLooks&, const AxisLooks&) = default;
};

const Chart& defaultChart()
{
    static const Chart chart;
    return chart;
}

// Pixels of the marker image, measured from the centre like the chart
// component's markers: width 2 is a cross five pixels wide, so that the
// small markers of the rank-size charts still read as crosses.
QImage markerImage(const Marker& marker, QColor color)
{
    const int w = std::max(0, marker.width);
    const int h = std::max(0, marker.height);
    const int side = 2 * std::max(w, h) + 1;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int c = side / 2;
    QPainter painter(&image);
    if (marker.shape == MarkerShape::Cross) {
        painter.setPen(QPen(color, 1));
        painter.drawLine(c - w, c, c + w, c);
        painter.drawLine(c, c - h, c, c + h);
    } else {
        painter.fillRect(c - w, c - h, 2 * w + 1, 2 * h + 1, color);
    }
    return image;
}

int decimals(double step)
{
    double scaled = step;
    for (int d = 0; d < 12; ++d, scaled *= 10) {
        if (std::abs(scaled - std::round(scaled)) <= 1e-9 * scaled)
            return d;
    }
    return 12;
}

// A range an axis can show: finite, ordered, of a finite width above 0.
// A single value gets room around it, a range too wide to measure is cut.
std::pair<double, double> saneRange(double min, double max)
{
    constexpr double limit = 1e300;
    if (!std::isfinite(min) || !std::isfinite(max))
        return {0.0, 1.0};
    if (min > max)
        std::swap(min, max);
    min = std::max(min, -limit);
    max = std::min(max, limit);
    if (max > min)
        return {min, max};
    const double pad = std::max(1.0, std::abs(min) * 0.1);
    return {min - pad, max + pad};
}

} // namespace

QList<QPointF> ReduceToPixels(const std::vector<double>& x, const std::vector<double>& y, const PixelGrid& grid)
{
    const std::size_t n = std::min(x.size(), y.size());
    QList<QPointF> out;
    const bool usableColumns = grid.columns > 0 && grid.x1 > grid.x0 && std::isfinite(grid.x1 - grid.x0);
    const bool byRows = grid.rows > 0 && grid.y1 > grid.y0 && std::isfinite(grid.y1 - grid.y0);
    if (!usableColumns) {
        for (std::size_t i = 0; i < n; ++i) {
            if (drawable(x[i], y[i]))
                out.append(QPointF(x[i], y[i]));
        }
        return out;
    }
    // Values beyond either end of the range share one key per side: nothing
    // of them shows but the line from the last of them into the plot.
    const auto cell = [](double v, double v0, double v1, int count, double shift, double sign) {
        const double t = (v - v0) / (v1 - v0);
        if (t < 0)
            return std::numeric_limits<int>::min();
        if (t > 1)
            return std::numeric_limits<int>::max();
        return int(std::floor(shift + sign * t * count));
    };
    struct Run {
        int column = 0, row = 0;
        std::size_t first = 0, last = 0, low = 0, high = 0;
    } run;
    bool inRun = false;
    const auto emitRun = [&] {
        std::array<std::size_t, 4> keep{run.first, run.low, run.high, run.last};
        std::size_t count = 4;
        if (byRows) {
            keep = {run.first, run.last, 0, 0};
            count = 2;
        }
        std::sort(keep.begin(), keep.begin() + std::ptrdiff_t(count));
        for (std::size_t k = 0; k < count; ++k) {
            if (k == 0 || keep[k] != keep[k - 1])
                out.append(QPointF(x[keep[k]], y[keep[k]]));
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (!drawable(x[i], y[i]))
            continue;
        const int column = cell(x[i], grid.x0, grid.x1, grid.columns, grid.xShift, 1.0);
        const int row = byRows ? cell(y[i], grid.y0, grid.y1, grid.rows, grid.yShift, -1.0) : 0;
        if (inRun && column == run.column && row == run.row) {
            run.last = i;
            if (y[i] < y[run.low])
                run.low = i;
            if (y[i] > y[run.high])
                run.high = i;
            continue;
        }
        if (inRun)
            emitRun();
        run = {column, row, i, i, i, i};
        inRun = true;
    }
    if (inRun)
        emitRun();
    return out;
}

double TickStep(double span, int maxTicks, double increment)
{
    if (!(span > 0) || !std::isfinite(span))
        return 1.0;
    maxTicks = std::max(1, maxTicks);
    double base = increment;
    if (!(base > 0) || !std::isfinite(base))
        base = std::pow(10.0, std::floor(std::log10(span / maxTicks)));
    for (double scale = base;; scale *= 10) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            const double step = scale * factor;
            if (span / step <= maxTicks || !std::isfinite(step * 10))
                return step;
        }
    }
}

// Holds the observer's side of the link. It lives inside the chart's
// observer list, so the chart's destruction destroys it and tells the view.
struct ChartView::Link {
    ChartView* view = nullptr;
    explicit Link(ChartView* v) : view(v) {}
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link()
    {
        if (view)
            view->onChartDestroyed();
    }
};

struct ChartView::Entry {
    const Series* model = nullptr; // never read once the chart is gone
    QLineSeries* qt = nullptr;     // owned by the QChart; made at the flush
    bool styleDue = true;          // the series' looks are applied at the flush
    bool attached = false;
    VerticalAxis attachedTo = VerticalAxis::Left;

    // Points folded into bounds so far.
    std::size_t scanned = 0;
    Bounds bounds;

    // What the Qt series shows: how many model points, reduced on which grid.
    bool shownValid = false;
    std::size_t shown = 0;
    PixelGrid grid;

    void Invalidate()
    {
        scanned = 0;
        bounds = {};
        shownValid = false;
    }
};

struct ChartView::Looks {
    bool legendVisible = true;
    Rgb background, backWall;
    bool backWallFilled = false;
    bool borderVisible = true;
    int borderWidth = 1;
    bool borderRounded = false;
    std::array<AxisLooks, 3> axes;

    friend bool operator==(const Looks&, const Looks&) = default;
};

ChartView::ChartView(QWidget* parent) : QChartView(new QChart, parent)
{
    QChart* qc = chart();
    qc->setAnimationOptions(QChart::NoAnimation);
    qc->setLocalizeNumbers(false); // labels in the C locale, whatever the user's
    qc->setDropShadowEnabled(false);
    qc->layout()->setContentsMargins(1, 1, 1, 1);
    qc->setMargins(QMargins(4, 4, 4, 4));
    qc->legend()->setAlignment(Qt::AlignRight);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(Qt::white);

    const Qt::Alignment sides[3] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignBottom};
    for (int slot = 0; slot < 3; ++slot) {
        auto* axis = new QValueAxis;
        axis->setRange(0, 1);
        axis->setTickInterval(1);
        axis->setTickAnchor(0);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setMinorTickCount(0);
        axis->setShadesVisible(false);
        qc->addAxis(axis, sides[slot]);
        axes_[slot] = axis;
    }

    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &ChartView::flushNow);
    // A new plot size changes which points can show.
    connect(qc, &QChart::plotAreaChanged, this, [this] {
        if (!laying_)
            scheduleFlush();
    });

    rubberBand_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    rubberBand_->hide();
    flushNow();
}

ChartView::ChartView(Chart* chart, QWidget* parent) : ChartView(parent) { setChart(chart); }

ChartView::~ChartView()
{
    // The base class deletes the QChart after this body; its last signals
    // must not reach members already gone.
    disconnect(chart(), nullptr, this, nullptr);
    detach();
}

void ChartView::setChart(Chart* chart)
{
    if (chart == model_)
        return;
    detach();
    if (chart) {
        model_ = chart;
        auto link = std::make_shared<Link>(this);
        link_ = link;
        observerId_ = chart->AddObserver([link](const ChartEvent& event) {
            if (link->view)
                link->view->onChartEvent(event);
        });
        for (std::size_t i = 0; i < chart->SeriesCount(); ++i)
            addEntry(chart->SeriesAt(i));
    }
    restart();
}

void ChartView::detach()
{
    if (auto link = link_.lock())
        link->view = nullptr;
    link_.reset();
    if (model_)
        model_->RemoveObserver(observerId_);
    model_ = nullptr;
    observerId_ = 0;
    while (!entries_.empty())
        removeEntry(entries_.back()->model);
    flushTimer_.stop();
}

void ChartView::restart()
{
    applyTitle();
    applied_.reset();
    zoomed_ = false;
    flushNow();
}

void ChartView::onChartDestroyed()
{
    // Its series are gone and its observer list is going: nothing there to
    // read or to unregister from.
    model_ = nullptr;
    detach();
    restart();
}

void ChartView::onChartEvent(const ChartEvent& event)
{
    switch (event.change) {
    case ChartChange::PointAppended:
        // The points are read from the series at the flush.
        scheduleFlush();
        return;
    case ChartChange::PointsCleared:
    case ChartChange::PointsReplaced:
        if (Entry* entry = find(event.series))
            entry->Invalidate();
        scheduleFlush();
        return;
    case ChartChange::SeriesAdded:
        addEntry(*event.series);
        scheduleFlush();
        return;
    case ChartChange::SeriesRemoved:
        removeEntry(event.series);
        scheduleFlush();
        return;
    case ChartChange::SeriesStyleChanged:
        if (Entry* entry = find(event.series)) {
            entry->styleDue = true;
            entry->shownValid = false; // markers change how points reduce
        }
        scheduleFlush();
        return;
    case ChartChange::TitleChanged:
        applyTitle();
        return;
    }
}

void ChartView::scheduleFlush()
{
    if (flushTimer_.isActive())
        return;
    const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : flushInterval_;
    flushTimer_.start(int(std::max<qint64>(0, flushInterval_ - since)));
}

ChartView::Entry* ChartView::find(const Series* series) const
{
    const auto it = bySeries_.find(series);
    return it == bySeries_.end() ? nullptr : it->second;
}

QLineSeries* ChartView::qtSeries(const Series& series) const
{
    const Entry* entry = find(&series);
    return entry ? entry->qt : nullptr;
}

void ChartView::addEntry(const Series& series)
{
    auto entry = std::make_unique<Entry>();
    entry->model = &series;
    bySeries_[&series] = entry.get();
    entries_.push_back(std::move(entry));
}

void ChartView::removeEntry(const Series* series)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const auto& entry) { return entry->model == series; });
    if (it == entries_.end())
        return;
    if ((*it)->qt) {
        chart()->removeSeries((*it)->qt);
        delete (*it)->qt;
    }
    bySeries_.erase(series);
    entries_.erase(it);
}

void ChartView::showSeries()
{
    // Series are only ever appended, so making the missing ones in the
    // chart's order keeps Qt's order (the drawing order) the chart's.
    for (const auto& entry : entries_) {
        if (!entry->qt) {
            entry->qt = new QLineSeries;
            chart()->addSeries(entry->qt);
            entry->qt->attachAxis(axes_[Bottom]);
        }
        if (entry->styleDue) {
            applyStyle(*entry);
            entry->styleDue = false;
        }
    }
}

void ChartView::applyStyle(Entry& entry)
{
    const Series& s = *entry.model;
    QLineSeries* q = entry.qt;
    const QColor color = toQColor(s.Color());
    q->setName(QString::fromStdString(s.Title()));
    const Marker& marker = s.Markers();
    QPen pen(color);
    pen.setWidth(std::max(1, s.LineWidth()));
    // Width 0 with markers: the points alone, a scatter plot. The line is
    // drawn transparent: a NoPen line still showed in some charts.
    if (s.LineWidth() <= 0 && marker.visible)
        pen.setColor(Qt::transparent);
    q->setPen(pen);
    if (marker.visible) {
        const QImage image = markerImage(marker, color);
        q->setLightMarker(image);
        q->setMarkerSize(image.width());
        q->setPointsVisible(true);
    } else {
        q->setPointsVisible(false);
        q->setLightMarker(QImage());
    }
    if (!entry.attached || entry.attachedTo != s.OnAxis()) {
        if (entry.attached)
            q->detachAxis(axes_[entry.attachedTo == VerticalAxis::Left ? Left : Right]);
        q->attachAxis(axes_[s.OnAxis() == VerticalAxis::Left ? Left : Right]);
        entry.attached = true;
        entry.attachedTo = s.OnAxis();
    }
    q->setVisible(s.Active());
}

void ChartView::applyTitle()
{
    QStringList lines;
    if (model_) {
        for (const std::string& line : model_->TitleLines())
            lines.append(QString::fromStdString(line).toHtmlEscaped());
    }
    // The title is rich text; escaped lines keep a '<' in a title literal.
    chart()->setTitle(lines.join(QStringLiteral("<br>")));
}

const Axis& ChartView::axisModel(AxisSlot slot) const
{
    const Chart& c = model_ ? *model_ : defaultChart();
    return slot == Left ? c.leftAxis : slot == Right ? c.rightAxis : c.bottomAxis;
}

bool ChartView::anyActiveOn(VerticalAxis axis) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
        return entry->model->Active() && entry->model->OnAxis() == axis;
    });
}

void ChartView::applyLooks()
{
    const Chart& c = model_ ? *model_ : defaultChart();
    Looks want;
    want.legendVisible = c.legendVisible;
    want.background = c.backgroundColor;
    want.backWall = c.backWallColor;
    want.backWallFilled = c.backWallFilled;
    want.borderVisible = c.border.visible;
    want.borderWidth = c.border.width;
    want.borderRounded = c.border.rounded;
    // A right axis no drawn series uses would only show an empty scale; an
    // empty chart still gets its left one.
    const bool onRight = anyActiveOn(VerticalAxis::Right);
    const bool onLeft = anyActiveOn(VerticalAxis::Left);
    const bool shown[3] = {onLeft || !onRight, onRight, true};
    for (int slot = 0; slot < 3; ++slot) {
        const Axis& a = axisModel(AxisSlot(slot));
        want.axes[slot] = {a.visible && shown[slot], a.color, a.gridVisible, a.gridColor, a.gridSmallDots};
    }
    if (applied_ && *applied_ == want)
        return;

    QChart* qc = chart();
    qc->legend()->setVisible(want.legendVisible);
    qc->setBackgroundBrush(toQColor(want.background));
    if (want.borderVisible)
        qc->setBackgroundPen(QPen(Qt::black, std::max(1, want.borderWidth)));
    else
        qc->setBackgroundPen(Qt::NoPen);
    qc->setBackgroundRoundness(want.borderRounded ? 8 : 0);
    qc->setPlotAreaBackgroundBrush(toQColor(want.backWall));
    qc->setPlotAreaBackgroundVisible(want.backWallFilled);
    for (int slot = 0; slot < 3; ++slot) {
        const AxisLooks& a = want.axes[slot];
        QValueAxis* axis = axes_[slot];
        axis->setVisible(a.shown);
        axis->setLinePenColor(toQColor(a.color));
        axis->setLabelsColor(toQColor(a.color));
        axis->setGridLineVisible(a.gridVisible);
        axis->setGridLinePen(QPen(toQColor(a.gridColor), 1, a.gridSmallDots ? Qt::DotLine : Qt::SolidLine));
    }
    applied_ = std::make_unique<Looks>(want);
}

void ChartView::flushNow()
{
    flushTimer_.stop();
    sinceFlush_.start();
    showSeries();
    scanPoints();
    applyLooks();
    const Ranges ranges = targetRanges();
    const QRectF before = chart()->plotArea();
    // New ranges lay the axes out again, which may leave another plot that
    // fits other points. Done here rather than from the event loop, the
    // scene sorts out what to repaint once instead of twice.
    laying_ = true;
    showPoints(ranges);
    chart()->layout()->activate();
    if (chart()->plotArea() != before)
        showPoints(ranges);
    laying_ = false;
}

void ChartView::showPoints(const Ranges& ranges)
{
    const QRectF plot = chart()->plotArea();
    struct Stale {
        Entry* entry;
        PixelGrid grid;
    };
    std::vector<Stale> stale;
    for (const auto& entry : entries_) {
        const PixelGrid grid = gridFor(*entry, ranges, plot);
        if (!entry->shownValid || entry->shown != entry->model->Count() || !(entry->grid == grid))
            stale.push_back({entry.get(), grid});
    }
    bool rangesMove = false;
    for (const AxisSlot slot : {Left, Right, Bottom})
        rangesMove = rangesMove || axes_[slot]->min() != ranges[slot].min || axes_[slot]->max() != ranges[slot].max;
    // Qt redoes every series' geometry, at a cost per point, on a new range
    // and again on new points: emptied first, the stale ones pay only once.
    if (rangesMove) {
        for (const Stale& s : stale) {
            if (s.entry->qt->count() > 0)
                s.entry->qt->replace(QList<QPointF>());
        }
    }
    for (const AxisSlot slot : {Left, Right, Bottom})
        setAxisRange(slot, ranges[slot]);
    for (const Stale& s : stale) {
        const Series& series = *s.entry->model;
        s.entry->qt->replace(ReduceToPixels(series.XValues(), series.YValues(), s.grid));
        s.entry->shownValid = true;
        s.entry->shown = series.Count();
        s.entry->grid = s.grid;
    }
}

void ChartView::scanPoints()
{
    for (const auto& entry : entries_) {
        const std::vector<double>& x = entry->model->XValues();
        const std::vector<double>& y = entry->model->YValues();
        const std::size_t n = std::min(x.size(), y.size());
        if (n < entry->scanned)
            entry->Invalidate();
        for (std::size_t i = entry->scanned; i < n; ++i) {
            if (drawable(x[i], y[i]))
                entry->bounds.Add(x[i], y[i]);
        }
        entry->scanned = n;
    }
}

ChartView::Range ChartView::dataRange(AxisSlot slot) const
{
    Bounds all;
    for (const auto& entry : entries_) {
        const Series& s = *entry->model;
        if (!s.Active() || entry->bounds.Empty())
            continue;
        if (slot != Bottom && (s.OnAxis() == VerticalAxis::Left) != (slot == Left))
            continue;
        const Bounds& b = entry->bounds;
        all.Add(b.minX, b.minY);
        all.Add(b.maxX, b.maxY);
    }
    if (all.Empty())
        return {0.0, 1.0};
    return slot == Bottom ? Range{all.minX, all.maxX} : Range{all.minY, all.maxY};
}

ChartView::Ranges ChartView::targetRanges() const
{
    Ranges ranges;
    for (const AxisSlot slot : {Left, Right, Bottom}) {
        const Axis& a = axisModel(slot);
        const Range wanted = zoomed_ ? zoom_[slot] : a.automatic ? dataRange(slot) : Range{a.minimum, a.maximum};
        const auto [min, max] = saneRange(wanted.min, wanted.max);
        ranges[slot] = {min, max};
    }
    return ranges;
}

PixelGrid ChartView::gridFor(const Entry& entry, const Ranges& ranges, const QRectF& plot) const
{
    // Not laid out yet: a fine grid until the real one is known.
    const int columns = plot.width() >= 1 ? int(std::ceil(plot.width())) : 2048;
    const int rows = plot.height() >= 1 ? int(std::ceil(plot.height())) : 2048;
    // Qt's aliased lines round a point to the pixel whose centre is nearest.
    const auto shift = [](double edge) { return edge + 0.5 - std::floor(edge + 0.5); };
    PixelGrid grid;
    grid.x0 = ranges[Bottom].min;
    grid.x1 = ranges[Bottom].max;
    grid.columns = columns;
    grid.xShift = shift(plot.left());
    if (entry.model->Markers().visible) {
        const Range& vertical = ranges[entry.model->OnAxis() == VerticalAxis::Left ? Left : Right];
        grid.y0 = vertical.min;
        grid.y1 = vertical.max;
        grid.rows = rows;
        grid.yShift = shift(plot.bottom());
    }
    return grid;
}

int ChartView::maxTicks(AxisSlot slot) const
{
    // From the widget's size, not the plot's: the labels chosen change the
    // plot's size, and must not change themselves through it.
    const int pixels = slot == Bottom ? width() / 100 : height() / 45;
    return std::clamp(pixels, 2, 10);
}

void ChartView::setAxisRange(AxisSlot slot, Range range)
{
    const double min = range.min;
    const double max = range.max;
    QValueAxis* axis = axes_[slot];
    const double step = TickStep(max - min, maxTicks(slot), axisModel(slot).increment);
    // Anchored near the range, so Qt never counts steps from far away.
    const double anchor = std::floor(min / step) * step;
    // Qt makes the labels at once: the wider step goes first, lest a new
    // range meet the old step and ask for thousands of them.
    if (step > axis->tickInterval())
        axis->setTickInterval(step);
    if (axis->min() != min || axis->max() != max)
        axis->setRange(min, max);
    if (axis->tickInterval() != step)
        axis->setTickInterval(step);
    if (axis->tickAnchor() != anchor)
        axis->setTickAnchor(anchor);
    const QString format = QStringLiteral("%.%1f").arg(decimals(step));
    if (axis->labelFormat() != format)
        axis->setLabelFormat(format);
}

void ChartView::zoomTo(const QRect& viewRect)
{
    const QRectF plot = chart()->plotArea();
    const QRectF wanted = chart()->mapFromScene(mapToScene(viewRect)).boundingRect().intersected(plot);
    if (wanted.width() < 1 || wanted.height() < 1)
        return;
    for (const AxisSlot slot : {Left, Right, Bottom}) {
        const double min = axes_[slot]->min();
        const double max = axes_[slot]->max();
        const double span = max - min;
        if (slot == Bottom) {
            zoom_[slot] = {min + (wanted.left() - plot.left()) / plot.width() * span,
                           min + (wanted.right() - plot.left()) / plot.width() * span};
        } else {
            zoom_[slot] = {max - (wanted.bottom() - plot.top()) / plot.height() * span,
                           max - (wanted.top() - plot.top()) / plot.height() * span};
        }
    }
    zoomed_ = true;
    flushNow();
}

void ChartView::undoZoom()
{
    zoomed_ = false;
    flushNow();
}

void ChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    dragOrigin_ = event->position().toPoint();
    rubberBand_->setGeometry(QRect(dragOrigin_, QSize()));
    rubberBand_->show();
    event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    rubberBand_->setGeometry(QRect(dragOrigin_, event->position().toPoint()).normalized());
    event->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    rubberBand_->hide();
    const QPoint end = event->position().toPoint();
    const QPoint drag = end - dragOrigin_;
    // A click, or a slip of a pixel or two, is no zoom.
    if (drag.x() < -2 && drag.y() < -2)
        undoZoom();
    else if (drag.x() > 2 && drag.y() > 2)
        zoomTo(QRect(dragOrigin_, end));
    event->accept();
}

void ChartView::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    scheduleFlush(); // label spacing follows the size
}

void ChartView::renderTo(QImage& image)
{
    // A view never shown has had no resize event, so its chart still has
    // its first size; the export pictures hidden windows too.
    if (chart()->size() != QSizeF(size())) {
        chart()->resize(size());
        setSceneRect(chart()->geometry());
    }
    flushNow();
    if (image.isNull())
        image = QImage(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    scene()->render(&painter, QRectF(image.rect()), chart()->geometry(), Qt::IgnoreAspectRatio);
}

QImage ChartView::renderImage()
{
    QImage image;
    renderTo(image);
    return image;
}

} // namespace landuse::ui
