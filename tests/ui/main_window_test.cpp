// The main window as a user drives it: widgets found by their object names,
// texts compared exactly, input through QTest.

#include "ui/main_window.h"

#include "ui/layout.h"
#include "ui/control_widgets.h"
#include "ui/message_strip.h"
#include "ui/world_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "support/eventually.h"

#include <gtest/gtest.h>

using namespace landuse;
using namespace landuse::ui;

namespace {

using landuse::test::eventually;

QString qt(const char* s) { return QString::fromUtf8(s); }

std::string text(QLabel* label) { return label->text().toStdString(); }

template <typename W>
W* find(TForm1& form, const char* name)
{
    W* widget = form.findChild<W*>(qt(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

bool hasLabel(TForm1& form, const char* text)
{
    for (QLabel* label : form.findChildren<QLabel*>())
        if (label->text() == qt(text))
            return true;
    return false;
}

// Replaces an edit's text the way a user does: select all, type.
void type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

void click(TForm1& form, const char* button) { QTest::mouseClick(find<QPushButton>(form, button), Qt::LeftButton); }

// The window on screen, as a user sees it.
struct Shown {
    explicit Shown(const WindowStart& start = {}) : form(start)
    {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    TForm1 form;
};

// A small world (40 by 40 cells, 10 pixels each) for quick runs.
struct SmallWorld {
    Shown shown{WindowStart{7, {"Edit_size=10"}, GridKernels::Best, {}}};
    TForm1& form = shown.form;
    Simulation& sim = form.simulation();
    WorldView* panel = form.panel();

    // Panel pixels are widget pixels less the one-pixel frame.
    static QPoint at(int x, int y) { return {x + 1, y + 1}; }
    void drag(Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint from, QPoint to)
    {
        QTest::mousePress(panel, button, keys, from);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, button, keys, to);
    }
    int32_t landUse(int x, int y) const { return sim.world().Cells.at(x, y).LandUse; }
};

} // namespace

TEST(MainWindow, LaysOutTheWindowAndEveryControlOfTheTable)
{
    Shown shown;
    TForm1& form = shown.form;
    EXPECT_EQ(form.windowTitle(), "Morvane_04_Land Use");
    EXPECT_EQ(form.size(), QSize(731, 712));
    EXPECT_EQ(form.pages()->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(form.pages()->tabText(i), qt(PageNames[i]));
    EXPECT_EQ(form.pages()->currentIndex(), 1); // "Settings" in front
    EXPECT_EQ(form.timer().interval(), 1);
    EXPECT_EQ(form.timer().timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(form.timer().isActive());
    EXPECT_EQ(form.panel()->contentsRect().size(), QSize(404, 404));
    EXPECT_EQ(form.panel()->mapTo(&form, form.panel()->contentsRect().topLeft()), QPoint(16, 8));

    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        QWidget* widget = form.findChild<QWidget*>(qt(def.name));
        ASSERT_NE(widget, nullptr) << def.name;
        EXPECT_EQ(widget, form.control(def.id)) << def.name;
        EXPECT_EQ(widget->isEnabled(), def.enabled) << def.name;
        switch (def.kind) {
        case ControlKind::Edit:
            EXPECT_EQ(qobject_cast<QLineEdit*>(widget)->text(), qt(def.text)) << def.name;
            if (*def.label != '\0') {
                EXPECT_TRUE(hasLabel(form, def.label)) << def.name << ": " << def.label;
            }
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->text(), qt(def.label)) << def.name;
            EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->isChecked(), def.value != 0) << def.name;
            break;
        case ControlKind::ScrollBar: {
            auto* bar = qobject_cast<QScrollBar*>(widget);
            EXPECT_EQ(bar->minimum(), def.minValue) << def.name;
            EXPECT_EQ(bar->maximum(), def.maxValue) << def.name;
            EXPECT_EQ(bar->value(), def.value) << def.name;
            EXPECT_EQ(bar->singleStep(), def.smallChange) << def.name;
            EXPECT_EQ(bar->pageStep(), def.largeChange) << def.name;
            EXPECT_TRUE(hasLabel(form, def.label)) << def.name;
            break;
        }
        case ControlKind::UpDown:
            EXPECT_NE(qobject_cast<UpDownArrows*>(widget), nullptr) << def.name;
            break;
        case ControlKind::ComboBox: {
            auto* combo = qobject_cast<QComboBox*>(widget);
            ASSERT_EQ(combo->count(), 3);
            EXPECT_EQ(combo->itemText(2), "3");
            EXPECT_EQ(combo->currentIndex(), 0);
            break;
        }
        case ControlKind::Button:
            EXPECT_EQ(qobject_cast<QPushButton*>(widget)->text(), qt(def.label)) << def.name;
            break;
        case ControlKind::Label:
        case ControlKind::StringGrid:
            break;
        }
    }
    // Labels as setup and the weight table leave them (labels show at screen pace).
    auto* angle = find<QLabel>(form, "Lbl_B");
    EXPECT_TRUE(eventually([&] { return angle->text() == "22 Grad"; })) << text(angle);
    EXPECT_EQ(find<QLabel>(form, "lbl_Steps")->text(), "lbl_Steps");
    auto* grid = find<WeightGridWidget>(form, "StringGrid1");
    EXPECT_EQ(grid->item(0, 0)->text(), "usage");
    EXPECT_EQ(grid->item(3, 5)->text(), "4,8");
    EXPECT_EQ(grid->item(1, 4)->text(), "0,0");
    for (const StaticText& note : StaticTexts())
        EXPECT_TRUE(hasLabel(form, note.text)) << note.text;

    // An up-down stays within its range and shows in its edit.
    auto* arrows = find<UpDownArrows>(form, "UpD_tileSz");
    for (int i = 0; i < 40; ++i)
        QTest::mouseClick(arrows->upButton(), Qt::LeftButton);
    EXPECT_EQ(find<QLineEdit>(form, "E_tileSz")->text(), "50");
    EXPECT_EQ(form.simulation().tileSize(), 50);
}

TEST(MainWindow, OneStepAndStartStopRunTheModelUntilTheStopStep)
{
    SmallWorld w;
    click(w.form, "B_oneStep");
    auto* steps = find<QLabel>(w.form, "lbl_Steps");
    EXPECT_TRUE(eventually([&] { return steps->text() == "1"; })) << text(steps);
    EXPECT_FALSE(w.form.timer().isActive());

    type(find<QLineEdit>(w.form, "E_stop"), "30");
    EXPECT_EQ(w.sim.stopStep(), 30);
    w.form.pages()->setCurrentIndex(0);
    click(w.form, "B_stop");
    EXPECT_TRUE(w.form.timer().isActive());
    EXPECT_EQ(w.form.pages()->currentIndex(), 1); // "Settings" comes to the front
    ASSERT_TRUE(eventually([&] { return !w.form.timer().isActive(); }, 10000));
    EXPECT_EQ(w.sim.stepCount(), 30);
    EXPECT_TRUE(eventually([&] { return steps->text() == "30"; })) << text(steps);
    EXPECT_TRUE(w.form.windowTitle().startsWith("Group seperation || fps= "));
}

TEST(MainWindow, APictureTakenInABurstOfStepsShowsTheNewestStepCount)
{
    SmallWorld w;
    auto* steps = find<QLabel>(w.form, "lbl_Steps");
    click(w.form, "B_oneStep");
    ASSERT_TRUE(eventually([&] { return steps->text() == "1"; })) << text(steps);
    // Steps without a pass of the event loop, as within the window's tick:
    // the label waits for its next frame.
    for (int i = 0; i < 99; ++i)
        w.sim.OneStep();
    EXPECT_EQ(text(steps), "1");
    (void)w.form.picture();
    EXPECT_EQ(text(steps), "100");
}

TEST(MainWindow, ABadTextShowsItsMessageWhileTheTimerRunsOn)
{
    SmallWorld w;
    auto* agents = find<ControlEdit>(w.form, "E_crAgs");
    type(agents, "3x");
    EXPECT_TRUE(agents->invalid()); // marked as typed, and kept
    EXPECT_EQ(agents->text(), "3x");
    click(w.form, "B_stop");
    QTest::qWait(50);
    EXPECT_TRUE(w.form.timer().isActive());
    EXPECT_TRUE(w.form.messages()->isVisible());
    EXPECT_EQ(w.form.messages()->text(), "'3x' is not a valid integer value");
    EXPECT_EQ(w.sim.stepCount(), 0); // every step ends at the growth
    type(agents, "3");
    EXPECT_FALSE(agents->invalid());
    EXPECT_TRUE(eventually([&] { return w.sim.stepCount() > 2; }));
    // A later step read it without failing.
    EXPECT_TRUE(eventually([&] { return !w.form.messages()->isVisible(); }));
    click(w.form, "B_stop");
    EXPECT_FALSE(w.form.timer().isActive());
}

TEST(MainWindow, RulesAndTheModelShowInTheWidgetsAtOnce)
{
    Shown shown;
    TForm1& form = shown.form;
    auto* size = find<QLineEdit>(form, "Edit_size");
    type(size, "12");
    EXPECT_EQ(size->text(), "10");
    auto* noise = find<QLineEdit>(form, "E_noise");
    type(noise, "");
    EXPECT_EQ(noise->text(), "0");
    find<QScrollBar>(form, "TrB_thresh")->setValue(45);
    auto* angle = find<QLabel>(form, "Lbl_B");
    EXPECT_TRUE(eventually([&] { return angle->text() == "45 Grad"; })) << text(angle);
    EXPECT_EQ(form.simulation().controls().position(Ctl::TrB_thresh), 45);

    // Written by the model: shown without anyone asking.
    form.simulation().controls().setText(Ctl::E_pName, "V1_0,35_pic_");
    EXPECT_EQ(find<QLineEdit>(form, "E_pName")->text(), "V1_0,35_pic_");
    form.simulation().controls().setChecked(Ctl::rb_direct, true);
    EXPECT_TRUE(find<QRadioButton>(form, "rb_direct")->isChecked());
    EXPECT_FALSE(find<QRadioButton>(form, "rb_hillCl")->isChecked());

    // Clicking the chosen radio button again keeps it chosen.
    QTest::mouseClick(find<QRadioButton>(form, "rb_direct"), Qt::LeftButton);
    EXPECT_TRUE(find<QRadioButton>(form, "rb_direct")->isChecked());
    EXPECT_EQ(form.simulation().returnMode(), 0);
}

TEST(MainWindow, AKeyReleaseInTheGridRereadsTheWeights)
{
    Shown shown;
    TForm1& form = shown.form;
    auto* grid = find<WeightGridWidget>(form, "StringGrid1");
    grid->setFocus();
    grid->setCurrentCell(1, 2); // row "populat.", column "w. pop."
    QTest::keyClicks(grid, "4");
    EXPECT_EQ(form.simulation().controls().gridText(2, 1), "4");
    EXPECT_EQ(form.simulation().weightTable().WPopPop, 4.0);
    QTest::keyClick(grid->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(grid->item(1, 2)->text(), "4");

    click(form, "B_reset");
    EXPECT_EQ(form.simulation().controls().gridText(2, 1), "1,0");
    EXPECT_EQ(grid->item(1, 2)->text(), "1,0");
    EXPECT_EQ(form.simulation().weightTable().WPopPop, 1.0);
}

TEST(MainWindow, MousePaintingOnThePanel)
{
    SmallWorld w;
    for (size_t i = 0; i < w.sim.world().Cells.size(); ++i)
        w.sim.worldForTest().Cells.data()[i].LandUse = Empty;

    // A click without a move paints nothing.
    QTest::mouseClick(w.panel, Qt::LeftButton, {}, w.at(100, 100));
    QTest::mouseClick(w.panel, Qt::LeftButton, Qt::ControlModifier, w.at(100, 100));
    EXPECT_EQ(w.landUse(10, 10), Empty);

    // A left drag at column 0 paints the block wrapped to the last column.
    w.drag(Qt::LeftButton, {}, w.at(2, 200), w.at(3, 200)); // column 0, row 20
    for (int x : {39, 0, 1})
        for (int y : {19, 20, 21})
            EXPECT_EQ(w.landUse(x, y), Barrier) << x << "," << y;

    // Ctrl at the press paints single homes; a right drag empties.
    w.drag(Qt::LeftButton, Qt::ControlModifier, w.at(200, 200), w.at(200, 300));
    EXPECT_EQ(w.landUse(20, 30), Residential);
    EXPECT_EQ(w.landUse(21, 30), Empty);
    w.drag(Qt::RightButton, {}, w.at(200, 300), w.at(200, 300));
    EXPECT_EQ(w.landUse(20, 30), Empty);

    // A drag far off the panel paints nothing and breaks nothing.
    w.drag(Qt::LeftButton, {}, w.at(200, 200), QPoint(-5000, 9000));
    w.drag(Qt::RightButton, {}, w.at(200, 200), QPoint(100000, -3));
    click(w.form, "B_oneStep");
    EXPECT_EQ(w.sim.stepCount(), 1);
}

TEST(MainWindow, NewSetupWithABadCellSizeKeepsTheOldWorld)
{
    SmallWorld w;
    click(w.form, "B_oneStep");
    click(w.form, "B_oneStep");
    type(find<QLineEdit>(w.form, "Edit_size"), "");
    EXPECT_EQ(w.form.messages()->text(), "'' is not a valid integer value"); // the rule read it
    click(w.form, "B_setup");
    EXPECT_EQ(w.form.messages()->text(), "'' is not a valid integer value");
    EXPECT_EQ(w.sim.stepCount(), 2);
    EXPECT_EQ(w.sim.world().Geometry.CellCountX, 40);
    type(find<QLineEdit>(w.form, "Edit_size"), "5");
    click(w.form, "B_setup");
    EXPECT_EQ(w.sim.stepCount(), 0);
    EXPECT_EQ(w.sim.world().Geometry.CellCountX, 81);
}
