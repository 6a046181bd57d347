// What the register tells its listeners: events for the handlers, state
// notices for anything that shows the register's state.

#include "model/register.h"

#include "model/numtext.h"
#include "model/random.h"
#include "model/weighttable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace landuse;

namespace {

// Records notices; reads the state they name, as a window would.
struct NoticeLog {
    explicit NoticeLog(ParamRegister& r) : reg(r)
    {
        reg.addStateListener([this](const StateNotice& n) { notices.push_back(n); });
    }
    std::vector<StateNotice> take()
    {
        std::vector<StateNotice> out;
        out.swap(notices);
        return out;
    }
    ParamRegister& reg;
    std::vector<StateNotice> notices;
};

StateNotice control(Ctl id) { return {id}; }
StateNotice cell(int col, int row) { return {Ctl::StringGrid1, col, row}; }

// A window's copy of the register, kept by listening alone.
struct Mirror {
    explicit Mirror(ParamRegister& r) : reg(r)
    {
        for (size_t i = 0; i < ControlCount; ++i)
            copy(StateNotice{Ctl(i)});
        for (int c = 0; c < GridCols; ++c)
            for (int r2 = 0; r2 < GridRows; ++r2)
                copy(cell(c, r2));
        reg.addStateListener([this](const StateNotice& n) { copy(n); });
    }
    void copy(const StateNotice& n)
    {
        if (n.gridCell())
            grid[{n.col, n.row}] = reg.gridText(n.col, n.row);
        else
            state[n.id] = {reg.text(n.id), reg.position(n.id)};
    }
    bool matches() const
    {
        for (size_t i = 0; i < ControlCount; ++i)
            if (state.at(Ctl(i)) != std::make_pair(reg.text(Ctl(i)), reg.position(Ctl(i))))
                return false;
        for (const auto& [at, text] : grid)
            if (text != reg.gridText(at.first, at.second))
                return false;
        return true;
    }
    ParamRegister& reg;
    std::map<Ctl, std::pair<std::string, int>> state;
    std::map<std::pair<int, int>, std::string> grid;
};

} // namespace

TEST(RegisterNotices, RulesAreNoticedOncePerOperation)
{
    ParamRegister reg;
    NoticeLog log(reg);

    reg.setText(Ctl::Edit_size, "12"); // kept within 2..10
    EXPECT_EQ(log.take(), std::vector{control(Ctl::Edit_size)});
    EXPECT_EQ(reg.text(Ctl::Edit_size), "10");

    reg.setText(Ctl::E_noise, ""); // never stays empty: written twice, noticed once
    EXPECT_EQ(log.take(), std::vector{control(Ctl::E_noise)});
    EXPECT_EQ(reg.text(Ctl::E_noise), "0");

    reg.setText(Ctl::E_crServ, "4"); // also enforces the cell size, which is in range
    EXPECT_EQ(log.take(), std::vector{control(Ctl::E_crServ)});

    reg.setPosition(Ctl::TrB_thresh, 45);
    EXPECT_EQ(log.take(), (std::vector{control(Ctl::TrB_thresh), control(Ctl::Lbl_B), control(Ctl::Lbl_wiggle)}));
    EXPECT_EQ(reg.text(Ctl::Lbl_B), "45 Grad");

    reg.setText(Ctl::E_tileSz, "30"); // the up-down follows its edit
    EXPECT_EQ(log.take(), (std::vector{control(Ctl::E_tileSz), control(Ctl::UpD_tileSz)}));
    reg.setPosition(Ctl::UpD_toSteps, 7); // and the edit its up-down
    EXPECT_EQ(log.take(), (std::vector{control(Ctl::UpD_toSteps), control(Ctl::E_toSteps)}));

    reg.setChecked(Ctl::rb_direct, true); // the other button of the frame goes off
    std::vector<StateNotice> radios = log.take();
    std::sort(radios.begin(), radios.end(), [](auto a, auto b) { return a.id < b.id; });
    EXPECT_EQ(radios, (std::vector{control(Ctl::rb_direct), control(Ctl::rb_hillCl)}));

    reg.setGridText(3, 2, "2,5");
    EXPECT_EQ(log.take(), std::vector{cell(3, 2)});
}

TEST(RegisterNotices, WritesThatChangeNothingRaiseNothing)
{
    ParamRegister reg;
    NoticeLog log(reg);
    std::vector<std::pair<Ctl, ControlEvent>> events;
    reg.addEventListener([&](Ctl id, ControlEvent e) { events.emplace_back(id, e); });

    reg.setText(Ctl::E_crAgs, "3");
    reg.setChecked(Ctl::CB_showOrig, true);
    reg.setChecked(Ctl::rb_hill, true);
    reg.setPosition(Ctl::SB_wiggle, 20);
    reg.setPosition(Ctl::SB_wiggle, 500); // kept at its end, 180: a change
    reg.setPosition(Ctl::SB_wiggle, 999); // still 180: none
    reg.setItemIndex(Ctl::CB_FieldNr, 0);
    reg.setGridText(0, 0, "");
    EXPECT_EQ(log.notices.size(), 3u); // SB_wiggle, Lbl_B and Lbl_wiggle, once
    EXPECT_EQ(events, (std::vector{std::make_pair(Ctl::SB_wiggle, ControlEvent::Changed)}));
}

TEST(RegisterNotices, EventsAreForHandlersAndStayApartFromNotices)
{
    ParamRegister reg;
    std::vector<std::pair<Ctl, ControlEvent>> events;
    reg.addEventListener([&](Ctl id, ControlEvent e) { events.emplace_back(id, e); });

    reg.setText(Ctl::lbl_Steps, "12"); // labels have no handlers
    reg.setChecked(Ctl::rb_direct, true);
    reg.setChecked(Ctl::CB_decay, true);
    reg.setChecked(Ctl::CB_decay, false);
    reg.setGridText(2, 1, "1");        // no event until the key is released
    reg.gridKeyUp();
    EXPECT_EQ(events, (std::vector{std::make_pair(Ctl::rb_direct, ControlEvent::Clicked),
                                   std::make_pair(Ctl::CB_decay, ControlEvent::Clicked),
                                   std::make_pair(Ctl::CB_decay, ControlEvent::Clicked),
                                   std::make_pair(Ctl::StringGrid1, ControlEvent::KeyUp)}));
}

TEST(RegisterNotices, EveryListenerHearsAndAFailingHandlerStopsOnlyItself)
{
    ParamRegister reg;
    std::vector<std::string> errors;
    reg.setErrorSink([&](const std::string& m) { errors.push_back(m); });
    int first = 0;
    int second = 0;
    reg.addEventListener([&](Ctl id, ControlEvent) {
        ++first;
        if (id == Ctl::E_stop)
            (void)reg.readInt(Ctl::E_stop);
    });
    const ListenerId later = reg.addEventListener([&](Ctl, ControlEvent) { ++second; });
    NoticeLog a(reg);
    NoticeLog b(reg);

    reg.setText(Ctl::E_stop, "x");
    EXPECT_EQ(errors, std::vector<std::string>{"'x' is not a valid integer value"});
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(a.take(), std::vector{control(Ctl::E_stop)});
    EXPECT_EQ(b.take(), std::vector{control(Ctl::E_stop)});

    reg.removeListener(later);
    reg.setText(Ctl::E_stop, "9");
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first, 2);
}

TEST(RegisterNotices, AListenerMayRemoveItselfAndWriteWhileItIsTold)
{
    ParamRegister reg;
    NoticeLog log(reg);
    ListenerId self = 0;
    int calls = 0;
    self = reg.addStateListener([&](const StateNotice& n) {
        ++calls;
        reg.removeListener(self);
        if (n.id == Ctl::E_crAgs)
            reg.setText(Ctl::E_crServ, "7"); // its notice follows, to everyone left
    });
    reg.setText(Ctl::E_crAgs, "5");
    reg.setText(Ctl::E_crAgs, "6");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(log.take(), (std::vector{control(Ctl::E_crAgs), control(Ctl::E_crServ), control(Ctl::E_crAgs)}));
}

TEST(RegisterNotices, ABatchNoticesEachChangedCellOnceAtItsEnd)
{
    ParamRegister reg;
    TWeightTable table;
    ResetWeightTable(reg, table);
    NoticeLog log(reg);
    reg.setGridText(2, 1, "3");
    reg.setGridText(5, 3, "0");
    log.take();
    {
        ParamRegister::Batch batch(reg);
        ResetWeightTable(reg, table);
        reg.setGridText(2, 1, "9");
        reg.setGridText(2, 1, "1,0");
        EXPECT_TRUE(log.notices.empty());
    }
    EXPECT_EQ(log.take(), (std::vector{cell(2, 1), cell(5, 3)}));
}

TEST(RegisterNotices, AWindowStaysInStepByListeningAlone)
{
    ParamRegister reg;
    int conversionErrors = 0;
    reg.setErrorSink([&](const std::string&) { ++conversionErrors; });
    TWeightTable table;
    Mirror mirror(reg);
    TRandom rng(42);
    const char* texts[] = {"", "0", "1", "12", "-3", "abc", "0,5", "2147483648", "25", "7"};
    for (int i = 0; i < 3000; ++i) {
        const Ctl id = Ctl(rng.Random(int(ControlCount)));
        const ControlDef& def = ControlDefOf(id);
        const char* text = texts[rng.Random(10)];
        switch (rng.Random(5)) {
        case 0:
            if (def.kind == ControlKind::Edit || def.kind == ControlKind::Label)
                reg.setText(id, text);
            break;
        case 1:
            if (def.kind == ControlKind::CheckBox || def.kind == ControlKind::RadioButton)
                reg.setChecked(id, rng.Random(2) == 1);
            break;
        case 2:
            if (def.kind == ControlKind::ScrollBar || def.kind == ControlKind::UpDown)
                reg.setPosition(id, rng.Random(400) - 100);
            else if (def.kind == ControlKind::ComboBox)
                reg.setItemIndex(id, rng.Random(5) - 1);
            break;
        case 3:
            reg.setGridText(rng.Random(GridCols), rng.Random(GridRows), text);
            break;
        case 4:
            try {
                ResetWeightTable(reg, table);
            } catch (const ConvertError&) {
            }
            break;
        }
        ASSERT_TRUE(mirror.matches()) << "after operation " << i << " on " << def.name;
    }
    EXPECT_GT(conversionErrors, 0); // the rules' failures were among the operations
}
