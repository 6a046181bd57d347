// Before any Qt header: Qt's "emit" macro would break the register's
// emit(), which ranksize.h brings in.
#include "analysis/ranksize.h"
#include "analysis/run_chart.h"

#include "support/eventually.h"
#include "ui/chart_view.h"

#include <QChart>
#include <QDeadlineTimer>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <ostream>

using namespace landuse;
using landuse::ui::ChartView;
using landuse::ui::PixelGrid;
using landuse::ui::ReduceToPixels;
using landuse::ui::TickStep;

// Readable failures: gtest would print a QString as its bytes.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

QColor toQColor(Rgb c) { return QColor(c.red, c.green, c.blue); }

// Lets the flush timer fire, as the window's event loop would.
void WaitForFlush(const ChartView& view)
{
    const QDeadlineTimer deadline(2000);
    while (view.flushPending() && !deadline.hasExpired())
        QTest::qWait(5);
}

QList<QPointF> ModelPoints(const Series& s)
{
    QList<QPointF> points;
    for (std::size_t i = 0; i < s.Count(); ++i)
        points.append(QPointF(s.X(i), s.Y(i)));
    return points;
}

// The legend shows what fits once laid out, so the view must be on screen.
void Show(ChartView& view)
{
    view.resize(713, 281);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
}

QStringList LegendLabels(ChartView& view)
{
    QStringList labels;
    for (QLegendMarker* marker : view.chart()->legend()->markers()) {
        if (marker->isVisible())
            labels.append(marker->label());
    }
    return labels;
}

bool OnAxis(QLineSeries* series, QValueAxis* axis) { return series->attachedAxes().contains(axis); }

struct Chart1 {
    Chart chart;
    StatisticsSeries series;
    Chart1()
    {
        SetUpChart1(chart);
        series = CreateStatisticsSeries(chart);
    }
    void Step(int step, double successful, double travel, double migrated, double returning)
    {
        series.SuccessfulSeries->Add(step, successful);
        series.TravelTimeSeries->Add(step, travel);
        series.MigratedSeries->Add(step, migrated);
        series.ReturningSeries->Add(step, returning);
    }
};

} // namespace

TEST(ReduceToPixels, KeepsTheFirstLowestHighestAndLastPointOfEachColumnInOrder)
{
    const std::vector<double> few{0, 1, 2, 3, 4}, fewY{5, -1, 7, 7, 2};
    EXPECT_EQ(ReduceToPixels(few, fewY, {0, 4, 400}), (QList<QPointF>{{0, 5}, {1, -1}, {2, 7}, {3, 7}, {4, 2}}));
    EXPECT_EQ(ReduceToPixels({3, 3}, {1, 2}, {3, 3, 100}), (QList<QPointF>{{3, 1}, {3, 2}})); // no width

    // Two columns over 0..10: the highest comes before the lowest in the second.
    const std::vector<double> x{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::vector<double> y{3, 0, 4, 9, 1, 6, 9, 2, -4, 5};
    EXPECT_EQ(ReduceToPixels(x, y, {0, 10, 2}), (QList<QPointF>{{0, 3}, {1, 0}, {3, 9}, {4, 1}, {5, 6}, {6, 9}, {8, -4}, {9, 5}}));
}

TEST(ReduceToPixels, DropsNonFinitePointsAndCollapsesRunsOffTheRangeOrOnOnePixel)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Each side of the range is one run: (-25, 5) and (70, 7) go.
    const std::vector<double> x{-30, -25, -20, -10, nan, 5, 6, inf, 50, 60, 70, 80};
    const std::vector<double> y{1, 5, 9, 2, 3, 4, nan, 5, 6, 8, 7, 7.5};
    EXPECT_EQ(ReduceToPixels(x, y, {0, 10, 10}),
              (QList<QPointF>{{-30, 1}, {-20, 9}, {-10, 2}, {5, 4}, {50, 6}, {60, 8}, {80, 7.5}}));

    // With markers, 100 by 100 pixels over 0..100: points 0.1 apart share one.
    PixelGrid grid{0, 100, 100};
    grid.y0 = 0;
    grid.y1 = 100;
    grid.rows = 100;
    const std::vector<double> mx{10.1, 10.2, 10.3, 10.4, 20.5, 20.6, 30.5};
    const std::vector<double> my{50.1, 50.2, 50.3, 50.4, 50.5, 70.5, 70.5};
    EXPECT_EQ(ReduceToPixels(mx, my, grid),
              (QList<QPointF>{{10.1, 50.1}, {10.4, 50.4}, {20.5, 50.5}, {20.6, 70.5}, {30.5, 70.5}}));
}

TEST(TickStep, ChoosesOneTwoOrFiveTimesAPowerOfTenOrOfTheIncrement)
{
    EXPECT_DOUBLE_EQ(TickStep(101, 6, 0), 20);
    EXPECT_DOUBLE_EQ(TickStep(99, 6, 0), 20);
    EXPECT_DOUBLE_EQ(TickStep(32000, 7, 0), 5000);
    EXPECT_DOUBLE_EQ(TickStep(0.0011, 5, 0), 0.0005);
    EXPECT_DOUBLE_EQ(TickStep(20, 6, 5), 5);   // the increment itself fits
    EXPECT_DOUBLE_EQ(TickStep(400, 6, 5), 100); // too dense: 5 times 20
    EXPECT_DOUBLE_EQ(TickStep(3, 6, 5), 5);     // never below the increment
    EXPECT_DOUBLE_EQ(TickStep(0, 6, 0), 1);
    EXPECT_DOUBLE_EQ(TickStep(std::numeric_limits<double>::infinity(), 6, 0), 1);
}

TEST(ChartView, MirrorsTheTimeSeriesChartOfTheMainWindow)
{
    Chart1 c;
    ChartView view(&c.chart);
    Show(view);
    ASSERT_EQ(view.chart()->series().size(), 5);
    EXPECT_EQ(LegendLabels(view), (QStringList{"successful Ag`s", "max mark", "avg travel time", "migrated Ag`s", "returning"}));
    EXPECT_TRUE(view.chart()->legend()->isVisible());
    EXPECT_EQ(view.chart()->title(), "average values");

    EXPECT_EQ(view.rightAxis()->min(), 0);
    EXPECT_EQ(view.rightAxis()->max(), 101);
    EXPECT_TRUE(view.rightAxis()->isVisible());
    EXPECT_FALSE(view.leftAxis()->isGridLineVisible());
    EXPECT_TRUE(view.rightAxis()->isGridLineVisible());
    EXPECT_EQ(view.chart()->backgroundBrush().color(), QColor(Qt::white));

    const Series* in[5] = {c.series.SuccessfulSeries, c.series.MaxMarkSeries, c.series.TravelTimeSeries,
                           c.series.MigratedSeries, c.series.ReturningSeries};
    const int widths[5] = {1, 1, 2, 1, 2};
    for (int i = 0; i < 5; ++i) {
        QLineSeries* q = view.qtSeries(*in[i]);
        ASSERT_NE(q, nullptr) << i;
        EXPECT_EQ(view.chart()->series().at(i), q) << i;
        EXPECT_EQ(q->pen().color(), toQColor(in[i]->Color())) << i;
        EXPECT_EQ(q->pen().width(), widths[i]) << i;
        EXPECT_EQ(OnAxis(q, view.leftAxis()), i == 2) << i;
        EXPECT_EQ(OnAxis(q, view.rightAxis()), i != 2) << i;
    }
}

TEST(ChartView, HandsAppendedPointsToQtOnlyAtTheFlushAndInOrder)
{
    Chart1 c;
    ChartView view(&c.chart);
    Show(view);
    QLineSeries* returning = view.qtSeries(*c.series.ReturningSeries);
    QSignalSpy perPoint(returning, &QXYSeries::pointAdded);

    // x runs backwards once: the order of addition is kept, not sorted.
    const double xs[] = {1, 2, 3, 5, 4, 6};
    for (int i = 0; i < 6; ++i)
        c.Step(int(xs[i]), 10 * i, 100 + i, i, 50 - i);
    EXPECT_TRUE(view.flushPending());
    EXPECT_EQ(returning->count(), 0);

    WaitForFlush(view);
    EXPECT_FALSE(view.flushPending());
    EXPECT_EQ(returning->points(), ModelPoints(*c.series.ReturningSeries));
    EXPECT_EQ(view.qtSeries(*c.series.TravelTimeSeries)->points(), ModelPoints(*c.series.TravelTimeSeries));
    EXPECT_EQ(view.qtSeries(*c.series.MaxMarkSeries)->count(), 0);
    EXPECT_EQ(perPoint.count(), 0);

    // A thousand steps more come in one batch, and automatic axes follow.
    QSignalSpy rangeChanges(view.bottomAxis(), &QValueAxis::rangeChanged);
    for (int step = 7; step <= 1006; ++step)
        c.Step(step, 1, 300 + step % 17, 2, 3);
    EXPECT_EQ(returning->count(), 6);
    WaitForFlush(view);
    EXPECT_EQ(rangeChanges.count(), 1);
    EXPECT_EQ(perPoint.count(), 0);
    EXPECT_EQ(view.bottomAxis()->min(), 1);
    EXPECT_EQ(view.bottomAxis()->max(), 1006);
    EXPECT_EQ(view.leftAxis()->min(), 100);
    EXPECT_EQ(view.leftAxis()->max(), 316);
    EXPECT_EQ(view.rightAxis()->max(), 101); // fixed, whatever the data
}

TEST(ChartView, FlushesAfterAQuietSpellAtOnceAndWithinABurstAtItsPace)
{
    Chart1 c;
    ChartView view(&c.chart);
    view.setFlushInterval(600);
    Show(view);
    QLineSeries* returning = view.qtSeries(*c.series.ReturningSeries);
    view.flushNow();

    // Just after a flush a step waits out the pace ...
    c.Step(1, 1, 1, 1, 1);
    QTest::qWait(50);
    EXPECT_TRUE(view.flushPending());
    EXPECT_EQ(returning->count(), 0);
    WaitForFlush(view);
    EXPECT_EQ(returning->count(), 1);

    // ... after a quiet spell it shows at the next pass of the event loop.
    QTest::qWait(650);
    c.Step(2, 2, 2, 2, 2);
    EXPECT_TRUE(view.flushPending());
    EXPECT_TRUE(test::eventually([&] { return returning->count() == 2; }, 300));
}

TEST(ChartView, AFlushWhoseAxesNeedMoreRoomShowsThePointsForThePlotItLeaves)
{
    Chart1 c;
    ChartView view(&c.chart);
    Show(view);
    c.Step(1, 1, 1, 1, 1);
    view.flushNow();
    const QRectF narrow = view.chart()->plotArea();
    QLineSeries* travel = view.qtSeries(*c.series.TravelTimeSeries);

    // Far more steps than pixel columns, and travel times whose labels need
    // a wider left axis: the flush's own layout leaves a narrower plot.
    for (int step = 2; step <= 5000; ++step)
        c.Step(step, step % 90, 1000000 + 37 * (step % 101) * step, 1, 2);
    view.flushNow();
    ASSERT_NE(view.chart()->plotArea(), narrow);
    EXPECT_FALSE(view.flushPending()); // nothing left for the event loop

    // The points already fit that plot: another flush changes none of them.
    QSignalSpy replaced(travel, &QXYSeries::pointsReplaced);
    view.flushNow();
    EXPECT_EQ(replaced.count(), 0);
}

TEST(ChartView, ANewWorldLeavesFiveEmptySeriesEvenWithAFlushPending)
{
    Chart1 c;
    ChartView view(&c.chart);
    Show(view);
    for (int step = 1; step <= 50; ++step)
        c.Step(step, step, step, step, step);
    view.flushNow();
    for (int step = 51; step <= 60; ++step)
        c.Step(step, step, step, step, step);
    ASSERT_TRUE(view.flushPending());

    c.series = CreateStatisticsSeries(c.chart);
    // The old series leave Qt at once; the new ones come with the flush.
    EXPECT_TRUE(view.chart()->series().isEmpty());
    EXPECT_EQ(view.qtSeries(*c.series.SuccessfulSeries), nullptr);
    WaitForFlush(view);
    ASSERT_EQ(view.chart()->series().size(), 5);
    EXPECT_EQ(LegendLabels(view).size(), 5);
    for (QAbstractSeries* s : view.chart()->series())
        EXPECT_EQ(static_cast<QLineSeries*>(s)->count(), 0);
    EXPECT_EQ(view.qtSeries(*c.series.SuccessfulSeries), view.chart()->series().at(0));

    // The new series are live: their points arrive like the old ones did.
    c.Step(1, 7, 8, 9, 10);
    view.flushNow();
    EXPECT_EQ(view.qtSeries(*c.series.MigratedSeries)->points(), (QList<QPointF>{{1, 9}}));
}

TEST(ChartView, HidesAnInactiveSeriesAndLeavesItOutOfTheAutomaticRange)
{
    Chart1 c;
    ChartView view(&c.chart);
    Show(view);
    c.Step(1, 10, 100, 10, 10);
    c.series.TravelTimeSeries->Add(std::numeric_limits<double>::quiet_NaN(), 1e300);
    c.series.TravelTimeSeries->Add(2, std::numeric_limits<double>::infinity());
    c.series.TravelTimeSeries->SetActive(false);
    view.flushNow();
    QLineSeries* travel = view.qtSeries(*c.series.TravelTimeSeries);
    EXPECT_FALSE(travel->isVisible());
    EXPECT_FALSE(LegendLabels(view).contains("avg travel time"));
    EXPECT_EQ(view.leftAxis()->min(), 0); // the default range, not the hidden data
    EXPECT_EQ(view.leftAxis()->max(), 1);
    EXPECT_FALSE(view.leftAxis()->isVisible()); // nothing drawn on it, the right one has series

    // A single drawable point gets room around it; the others are not drawn.
    c.series.TravelTimeSeries->SetActive(true);
    view.flushNow();
    EXPECT_TRUE(travel->isVisible() && view.leftAxis()->isVisible());
    EXPECT_LT(view.leftAxis()->min(), 100);
    EXPECT_GT(view.leftAxis()->max(), 100);
    EXPECT_EQ(travel->points(), (QList<QPointF>{{1, 100}}));
}

TEST(ChartView, FollowsMarkersColoursAndAxisOfASeriesAtTheFlush)
{
    Chart chart;
    Series& s = chart.AddSeries();
    ChartView view(&chart);
    QLineSeries* q = view.qtSeries(s);
    ASSERT_NE(q, nullptr);
    const QColor before = q->pen().color();

    s.SetColor({0, 0, 0});
    s.SetMarkers({true, MarkerShape::Cross, 2, 2});
    EXPECT_TRUE(view.flushPending());
    EXPECT_EQ(q->pen().color(), before); // Qt hears of looks only at the flush
    EXPECT_FALSE(q->pointsVisible());
    view.flushNow();
    EXPECT_EQ(q->pen().color(), QColor(0, 0, 0));
    EXPECT_TRUE(q->pointsVisible());
    ASSERT_EQ(q->lightMarker().size(), QSize(5, 5));
    EXPECT_EQ(q->markerSize(), 5);
    EXPECT_EQ(q->lightMarker().pixelColor(0, 2), QColor(0, 0, 0));
    EXPECT_EQ(q->lightMarker().pixelColor(2, 4), QColor(0, 0, 0));
    EXPECT_EQ(q->lightMarker().pixelColor(0, 0).alpha(), 0); // a cross, not a box

    s.SetColor({0, 128, 0});
    s.SetMarkers({true, MarkerShape::Rectangle, 3, 1});
    view.flushNow();
    ASSERT_EQ(q->lightMarker().size(), QSize(7, 7));
    EXPECT_EQ(q->lightMarker().pixelColor(6, 4), QColor(0, 128, 0));
    EXPECT_EQ(q->lightMarker().pixelColor(3, 1).alpha(), 0); // 3 wide, 1 high

    s.SetMarkers({});
    view.flushNow();
    EXPECT_FALSE(q->pointsVisible());
    EXPECT_TRUE(q->lightMarker().isNull());

    s.SetAxis(VerticalAxis::Right);
    view.flushNow();
    EXPECT_TRUE(OnAxis(q, view.rightAxis()) && !OnAxis(q, view.leftAxis()));
}

TEST(ChartView, DrawsTheRankSizeChartsLooks)
{
    RankSizeWindow window;
    window.ResetRankSize();
    ChartView rankSize(&window.C_RankSize);
    ChartView linear(&window.C_Linear);
    for (int i = 1; i <= 30; ++i)
        window.RankChangeSeries->Add(std::log10(i), i % 7 - 3);
    rankSize.flushNow();

    EXPECT_FALSE(rankSize.chart()->legend()->isVisible());
    EXPECT_EQ(rankSize.chart()->title(), "log-log distribution");
    EXPECT_GT(rankSize.chart()->backgroundRoundness(), 0);
    EXPECT_EQ(rankSize.chart()->backgroundPen().width(), 1);
    QValueAxis* right = rankSize.rightAxis();
    const QColor blueish(128, 128, 255);
    EXPECT_TRUE(right->isVisible());
    EXPECT_EQ(right->linePenColor(), blueish);
    EXPECT_EQ(right->labelsColor(), blueish);
    EXPECT_TRUE(right->isGridLineVisible());
    EXPECT_EQ(right->gridLinePen().color(), blueish);
    EXPECT_EQ(right->gridLinePen().style(), Qt::DotLine);
    EXPECT_EQ(right->tickInterval(), 5);
    EXPECT_EQ(right->min(), -3);
    EXPECT_EQ(right->max(), 3);
    EXPECT_FALSE(rankSize.qtSeries(*window.CorrelationSeries)->isVisible());
    EXPECT_EQ(rankSize.qtSeries(*window.RankChangeSeries)->pen().color(), QColor(0, 0, 255));

    // The computed trend line follows its source when it is assigned.
    Series& logLog = window.C_RankSize.AddSeries();
    logLog.Add(0, 2);
    logLog.Add(1, 1);
    window.TrendSeries->SetSource(&logLog);
    rankSize.flushNow();
    EXPECT_EQ(rankSize.qtSeries(*window.TrendSeries)->points(), ModelPoints(*window.TrendSeries));
    EXPECT_EQ(rankSize.qtSeries(*window.TrendSeries)->count(), 2);

    EXPECT_EQ(linear.chart()->title(), "linear distribution");
    EXPECT_FALSE(linear.rightAxis()->isVisible()); // no series of it draws there
    EXPECT_TRUE(linear.leftAxis()->isVisible());
}

TEST(ChartView, ZoomsIntoADraggedRectangleUntilTheZoomIsUndone)
{
    Chart1 c;
    for (int step = 1; step <= 200; ++step)
        c.Step(step, step % 100, 1000 + step, 20, 30);
    ChartView view(&c.chart);
    Show(view);
    view.flushNow();
    ASSERT_EQ(view.bottomAxis()->max(), 200);

    const QRect plot = view.chart()->plotArea().toRect();
    const QPoint from = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
    const QPoint to = plot.topLeft() + QPoint(plot.width() / 2, plot.height() / 2);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view.viewport(), to);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
    ASSERT_TRUE(view.isZoomed());
    EXPECT_NEAR(view.bottomAxis()->min(), 1 + 199 * 0.25, 2);
    EXPECT_NEAR(view.bottomAxis()->max(), 1 + 199 * 0.5, 2);
    EXPECT_NEAR(view.rightAxis()->min(), 101 * 0.5, 2);
    EXPECT_NEAR(view.rightAxis()->max(), 101 * 0.75, 2);

    // New data leave the zoomed ranges alone.
    const double zoomedMax = view.bottomAxis()->max();
    c.Step(400, 0, 5000, 0, 0);
    view.flushNow();
    EXPECT_EQ(view.bottomAxis()->max(), zoomedMax);

    // Dragging up and left undoes the zoom; the ranges then include the new data.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, to);
    QTest::mouseMove(view.viewport(), from);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, from);
    EXPECT_FALSE(view.isZoomed());
    EXPECT_EQ(view.bottomAxis()->max(), 400);
    EXPECT_EQ(view.leftAxis()->max(), 5000);
    EXPECT_EQ(view.rightAxis()->min(), 0);
    EXPECT_EQ(view.rightAxis()->max(), 101);
}

TEST(ChartView, RendersAHiddenViewIntoAnImage)
{
    Chart1 c;
    for (int step = 1; step <= 100; ++step)
        c.Step(step, 50, 100 + step, 20, 30);
    c.series.TravelTimeSeries->SetColor({255, 0, 255});
    ChartView view(&c.chart);
    view.resize(713, 281);

    const auto count = [](const QImage& image, QColor color) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == color;
        }
        return n;
    };
    const QImage image = view.renderImage();
    ASSERT_EQ(image.size(), QSize(713, 281));
    // The rising line, two pixels wide, crosses most of the plot's width.
    EXPECT_GT(count(image, QColor(255, 0, 255)), 2 * 400);
    EXPECT_EQ(view.chart()->size(), QSizeF(713, 281));

    QImage large(1426, 562, QImage::Format_RGB32);
    view.renderTo(large);
    EXPECT_GT(count(large, QColor(255, 0, 255)), 2 * count(image, QColor(255, 0, 255)));
}

TEST(ChartView, SurvivesItsChartGoingFirstOrLast)
{
    {
        auto chart = std::make_unique<Chart1>();
        ChartView view(&chart->chart);
        chart->Step(1, 2, 3, 4, 5); // a flush pending when the chart goes
        chart.reset();
        EXPECT_EQ(view.modelChart(), nullptr);
        EXPECT_TRUE(view.chart()->series().isEmpty());
        EXPECT_FALSE(view.flushPending());
        view.flushNow();
        EXPECT_FALSE(view.renderImage().isNull());
    }
    {
        Chart1 chart;
        {
            ChartView view(&chart.chart);
            chart.Step(1, 2, 3, 4, 5);
        }
        chart.Step(2, 2, 3, 4, 5);
        chart.series = CreateStatisticsSeries(chart.chart);
        EXPECT_EQ(chart.chart.SeriesCount(), 5u);
    }
    {
        Chart1 first, second;
        ChartView view(&first.chart);
        view.setChart(nullptr);
        EXPECT_TRUE(view.chart()->series().isEmpty() && view.chart()->title().isEmpty());
        first.Step(1, 2, 3, 4, 5);
        EXPECT_FALSE(view.flushPending());

        second.chart.AddTitleLine("a < b");
        view.setChart(&second.chart);
        EXPECT_EQ(view.chart()->title(), "average values<br>a &lt; b");
        second.Step(1, 2, 3, 4, 5);
        view.flushNow();
        EXPECT_EQ(view.qtSeries(*second.series.ReturningSeries)->points(), (QList<QPointF>{{1, 5}}));
    }
}

TEST(ChartView, DrawsPointsAloneForALineOfWidthZeroWithMarkers)
{
    const auto pixelsOf = [](int lineWidth, bool markers) {
        Chart chart;
        chart.legendVisible = false;
        Series& s = chart.AddSeries();
        s.SetColor({255, 0, 255});
        Marker marker;
        marker.visible = markers;
        marker.width = marker.height = 2;
        s.SetMarkers(marker);
        s.SetLineWidth(lineWidth);
        for (int i = 0; i < 5; ++i)
            s.Add(i, i % 2);
        ChartView view(&chart);
        view.resize(400, 300);
        const QImage image = view.renderImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == QColor(255, 0, 255);
        return n;
    };
    const int scatter = pixelsOf(0, true);
    const int joined = pixelsOf(1, true);
    // Five 5 by 5 squares, and none of the zigzag between them.
    EXPECT_GE(scatter, 5 * 12);
    EXPECT_LE(scatter, 5 * 25);
    EXPECT_GT(joined, scatter + 300);
    // Without markers a width of 0 still draws the line, one pixel wide.
    EXPECT_GT(pixelsOf(0, false), 300);
}
