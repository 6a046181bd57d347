// The rank-size window and the export buttons, driven through the main window.

#include "ui/rank_size_window.h"

#include "sim/simulation.h"
#include "ui/chart_view.h"
#include "ui/main_window.h"
#include "ui/message_strip.h"

#include "support/shell.h"

#include <QImage>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QValueAxis>

#include "support/eventually.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace landuse;
using namespace landuse::ui;
namespace fs = std::filesystem;

namespace {

fs::path freshFolder() { return test::FreshFolder("landuse-ui-"); }

std::set<std::string> namesIn(const fs::path& dir) { return test::NamesIn(dir); }

// A small world whose files go to a folder of the test's own.
struct Windows {
    explicit Windows(std::vector<std::string> settings = {}) : settings_(std::move(settings)) { form.show(); }

    std::vector<std::string> settings_;
    fs::path folder = freshFolder();
    TForm1 form{WindowStart{3, withSmallWorld(settings_), GridKernels::Best, folder}};
    Simulation& sim = form.simulation();
    TForm2& rankSize = *form.rankSizeWindow();

    static std::vector<std::string> withSmallWorld(std::vector<std::string> settings)
    {
        settings.insert(settings.begin(), "Edit_size=10");
        return settings;
    }
    void click(const char* button)
    {
        QTest::mouseClick(form.findChild<QPushButton*>(QString::fromUtf8(button)), Qt::LeftButton);
    }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            sim.OneStep();
    }
    // Black log-log series on C_RankSize: one per measure.
    size_t logLogSeries() { return sim.rankSize().LogLogSeries.size(); }
    std::string cell(QTableView* view, int row, int col)
    {
        return view->model()->index(row, col).data().toString().toStdString();
    }
    void setStem(const char* stem)
    {
        auto* edit = form.findChild<QLineEdit*>(QStringLiteral("E_pName"));
        edit->setFocus();
        edit->selectAll();
        if (*stem == '\0')
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, QString::fromUtf8(stem));
    }
};

} // namespace

TEST(RankSizeWindow, CreatedHiddenAndShownByItsButtons)
{
    Windows w;
    EXPECT_EQ(w.rankSize.windowTitle(), "Rank-Size");
    EXPECT_EQ(w.rankSize.size(), QSize(841, 712));
    EXPECT_FALSE(w.rankSize.isVisible());
    w.click("B_rankSize");
    EXPECT_TRUE(w.rankSize.isVisible());
    w.rankSize.hide();
    w.click("B_stop");
    EXPECT_TRUE(w.rankSize.isVisible()); // "start / stop" shows it too
    w.click("B_stop");
    for (const char* name : {"C_RankSize", "C_Linear", "B_undoZoom", "SG_Ana1", "SG_Ana2"})
        EXPECT_NE(w.rankSize.findChild<QWidget*>(QString::fromUtf8(name)), nullptr) << name;
    EXPECT_EQ(w.rankSize.findChild<QPushButton*>(QStringLiteral("B_undoZoom"))->text(), "undo zoom");
    EXPECT_EQ(w.rankSize.ana1()->model()->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("correlation r\u00b2"));
    EXPECT_EQ(w.rankSize.ana1()->geometry(), QRect(535, 8, 298, 345));
}

TEST(RankSizeWindow, AMeasureShowsItsSeriesAndRowsAndANewSetupClearsThem)
{
    Windows w;
    w.steps(100); // the first measure comes after step 100
    ASSERT_EQ(w.logLogSeries(), 1u);
    w.rankSize.rankSize()->flushNow();
    w.rankSize.linear()->flushNow();
    const Series& logLog = *w.sim.rankSize().LogLogSeries[0];
    QLineSeries* shown = w.rankSize.rankSize()->qtSeries(logLog);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->color(), QColor(0, 0, 0));
    EXPECT_GT(shown->count(), 0);
    EXPECT_NE(w.rankSize.linear()->qtSeries(*w.sim.rankSize().LinearSeries[0]), nullptr);
    // SG_Ana1 lists the measure; SG_Ana2 lists the N tiles and the average.
    ASSERT_EQ(w.rankSize.ana1()->model()->rowCount(), 1);
    EXPECT_EQ(w.cell(w.rankSize.ana1(), 0, 0), "100");
    EXPECT_EQ(w.rankSize.ana2()->model()->rowCount(), int(w.sim.tiles().size()) + 1);
    EXPECT_EQ(w.cell(w.rankSize.ana2(), int(w.sim.tiles().size()), 0), "avg. diff.");

    w.click("B_setup");
    w.rankSize.rankSize()->flushNow();
    EXPECT_EQ(w.logLogSeries(), 0u);
    // Only the three series the reset made are shown: trend, correlation and
    // rank change. (The measure's series is gone; its address may well be one
    // of theirs now, so it is not looked up.)
    EXPECT_EQ(w.rankSize.rankSize()->chart()->series().size(), 3);
    const RankSizeWindow& state = w.sim.rankSize();
    for (const Series* s : {state.TrendSeries, state.CorrelationSeries, state.RankChangeSeries})
        EXPECT_NE(w.rankSize.rankSize()->qtSeries(*s), nullptr);
    EXPECT_EQ(w.rankSize.linear()->chart()->series().size(), 0);
    // The grids follow within the window's pace.
    ASSERT_TRUE(test::eventually([&] { return w.rankSize.ana2()->verticalHeader()->count() == 1; }));
    ASSERT_EQ(w.rankSize.ana1()->model()->rowCount(), 1);
    EXPECT_EQ(w.cell(w.rankSize.ana1(), 0, 0), "");
}

TEST(RankSizeWindow, FollowsABurstOfMeasuresAtItsPaceAndItsPictureShowsTheNewest)
{
    Windows w;
    // The rows a grid shows, as its view last took them from the model
    // (the model itself always reads the simulation's grids).
    const auto shownRows = [](QTableView* view) { return view->verticalHeader()->count(); };
    w.steps(100);
    // The first measure of a quiet spell shows at once ...
    EXPECT_EQ(shownRows(w.rankSize.ana1()), 1);
    w.steps(100);
    w.steps(100);
    // ... the rest of a burst within the pace, not with every measure.
    if (shownRows(w.rankSize.ana1()) != 3) {
        EXPECT_EQ(shownRows(w.rankSize.ana1()), 1);
        EXPECT_TRUE(test::eventually([&] { return shownRows(w.rankSize.ana1()) == 3; },
                                     TForm2::FollowMilliseconds * 4));
    }
    EXPECT_EQ(w.cell(w.rankSize.ana1(), 2, 0), "300");

    // A picture taken in a burst (the newest measure still waiting, unless
    // the steps took longer than the pace) shows the newest measure.
    w.steps(100);
    (void)w.rankSize.picture();
    EXPECT_EQ(shownRows(w.rankSize.ana1()), 4);
    EXPECT_EQ(w.cell(w.rankSize.ana1(), 3, 0), "400");
    EXPECT_EQ(w.rankSize.rankSize()->chart()->series().size(), 3 + 4);
}

TEST(RankSizeWindow, UndoZoomRestoresBothCharts)
{
    Windows w;
    w.steps(100);
    w.rankSize.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.rankSize));
    ChartView* chart = w.rankSize.rankSize();
    chart->flushNow();
    const QValueAxis* axis = chart->leftAxis();
    const double min = axis->min();
    const double max = axis->max();
    chart->zoomTo(QRect(80, 60, 120, 100));
    w.rankSize.linear()->zoomTo(QRect(80, 60, 120, 100));
    EXPECT_TRUE(chart->isZoomed());
    EXPECT_LT(axis->max() - axis->min(), max - min);
    QTest::mouseClick(w.rankSize.findChild<QPushButton*>(QStringLiteral("B_undoZoom")), Qt::LeftButton);
    EXPECT_FALSE(chart->isZoomed());
    EXPECT_FALSE(w.rankSize.linear()->isZoomed());
    EXPECT_DOUBLE_EQ(axis->min(), min);
    EXPECT_DOUBLE_EQ(axis->max(), max);
}

TEST(Exports, SaveBmpLeavesTwoJpegsOfBothWindowsAndNoBmp)
{
    Windows w;
    w.steps(3);
    w.click("B_saveBmp");
    const fs::path pictures = w.folder / "pictures";
    EXPECT_EQ(namesIn(pictures), (std::set<std::string>{"001_pic_1.jpg", "001_pic_2.jpg"}));
    QImage main(QString::fromStdString((pictures / "001_pic_1.jpg").string()));
    QImage rankSize(QString::fromStdString((pictures / "001_pic_2.jpg").string()));
    EXPECT_EQ(main.size(), QSize(731, 712));
    EXPECT_EQ(rankSize.size(), QSize(841, 712)); // pictured while hidden
    EXPECT_FALSE(w.rankSize.isVisible());
    // The panel's lime destination blocks are in the main window's picture.
    int lime = 0;
    for (int y = 8; y < 412; ++y)
        for (int x = 16; x < 420; ++x)
            lime += QColor(main.pixel(x, y)).green() > 200 && QColor(main.pixel(x, y)).red() < 60;
    EXPECT_GT(lime, 100);
    EXPECT_NE(w.form.messages()->text().indexOf("001_pic_1.jpg and 001_pic_2.jpg"), -1)
        << w.form.messages()->text().toStdString();
}

TEST(Exports, SaveXlsWritesFilesThatRealReadersOpen)
{
    Windows w;
    w.steps(100);
    w.click("B_saveXML");
    const fs::path data = w.folder / "data";
    EXPECT_EQ(namesIn(data), (std::set<std::string>{"001_pic_3.xls", "001_pic_4.xls", "001_pic_5.xls"}));
    const test::ShellResult worksheet = test::shell(
        "/usr/bin/python3 -c \"import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); "
        "print(s.nrows, s.ncols, s.cell_value(0, 0))\" " + (data / "001_pic_3.xls").string() + " 2>&1");
    EXPECT_EQ(worksheet.status, 0) << worksheet.output;
    EXPECT_NE(worksheet.output.find(" X"), std::string::npos) << worksheet.output;
    for (const char* xml : {"001_pic_4.xls", "001_pic_5.xls"}) {
        const test::ShellResult parsed = test::shell(
            "/usr/bin/python3 -c \"import sys, xml.etree.ElementTree as T; r = T.parse(sys.argv[1]).getroot(); "
            "print(r.tag, len(r.findall('series')))\" " + (data / xml).string() + " 2>&1");
        EXPECT_EQ(parsed.status, 0) << xml << ": " << parsed.output;
        EXPECT_EQ(parsed.output.rfind("chart ", 0), 0u) << parsed.output;
    }
    EXPECT_NE(w.form.messages()->text().indexOf("001_pic_3.xls, 001_pic_4.xls and 001_pic_5.xls"), -1)
        << w.form.messages()->text().toStdString();
}

TEST(Exports, TheStemNamesTheFilesAsTyped)
{
    Windows w;
    w.setStem("run.5_");
    w.click("B_saveBmp");
    EXPECT_EQ(namesIn(w.folder / "pictures"), (std::set<std::string>{"run.5_1.jpg", "run.5_2.jpg"}));
    w.setStem("");
    w.click("B_saveBmp");
    w.click("B_saveXML");
    EXPECT_EQ(namesIn(w.folder / "pictures"),
              (std::set<std::string>{"run.5_1.jpg", "run.5_2.jpg", "1.jpg", "2.jpg"}));
    EXPECT_EQ(namesIn(w.folder / "data"), (std::set<std::string>{"3.xls", "4.xls", "5.xls"}));
}

TEST(Exports, AFolderThatCannotBeWrittenGivesAMessage)
{
    Windows w;
    std::ofstream(w.folder / "pictures") << "a file where the folder should be";
    std::ofstream(w.folder / "data") << "the same";
    w.click("B_saveBmp");
    EXPECT_TRUE(w.form.messages()->text().startsWith("Cannot create folder")) << w.form.messages()->text().toStdString();
    EXPECT_NE(w.form.messages()->text().indexOf("Not a directory"), -1);
    w.click("B_saveXML");
    EXPECT_TRUE(w.form.messages()->text().startsWith("Cannot create folder")) << w.form.messages()->text().toStdString();
    w.setStem("a/b");
    w.click("B_saveBmp");
    EXPECT_TRUE(w.form.messages()->text().startsWith("E_pName:")) << w.form.messages()->text().toStdString();
    w.steps(1); // and the window goes on
    EXPECT_EQ(w.sim.stepCount(), 1);
}

TEST(Exports, ASweepInTheWindowSavesEveryRunAndShowsWhereItStands)
{
    Windows w({"CB_actAna2=1", "E_toSteps2=3", "E_valTo2=2,0"});
    w.click("B_stop");
    EXPECT_TRUE(w.rankSize.isVisible());
    QDeadlineTimer deadline(10000);
    while (w.form.timer().isActive() && !deadline.hasExpired())
        QTest::qWait(5);
    ASSERT_FALSE(w.form.timer().isActive());
    EXPECT_EQ(namesIn(w.folder / "pictures"),
              (std::set<std::string>{"1_0_pic_1.jpg", "1_0_pic_2.jpg", "1_1_pic_1.jpg", "1_1_pic_2.jpg",
                                     "1_2_pic_1.jpg", "1_2_pic_2.jpg"}));
    EXPECT_EQ(namesIn(w.folder / "data").size(), 9u);
    // The texts the sweep wrote show in their widgets.
    EXPECT_EQ(w.form.findChild<QLineEdit*>(QStringLiteral("E_pName"))->text(), "1_2_pic_");
    EXPECT_EQ(w.form.findChild<QLineEdit*>(QStringLiteral("E_stop"))->text(), "3");
    EXPECT_EQ(w.form.messages()->text(), "analysis 2: done after 3 runs");
    EXPECT_TRUE(w.form.messages()->isVisible());
    // The saved picture shows the world, not the strip over it: the strip's
    // dark top edge runs across the panel at y = 365 on screen.
    const QImage picture(QString::fromStdString((w.folder / "pictures" / "1_2_pic_1.jpg").string()));
    const QImage screen = w.form.grab().toImage();
    const auto darkAcross = [](const QImage& image) {
        int dark = 0;
        for (int x = 20; x < 410; ++x) {
            const QColor c = image.pixelColor(x, 365);
            dark += c.red() + c.green() + c.blue() < 200;
        }
        return dark;
    };
    EXPECT_GT(darkAcross(screen), 350);
    EXPECT_LT(darkAcross(picture), 300);
}
