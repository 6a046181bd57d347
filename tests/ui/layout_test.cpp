// The control table and the layout data a window is generated from.

#include "ui/layout.h"

#include "model/controls.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

using namespace landuse;

namespace {

bool onPage(const char* page)
{
    for (const char* name : PageNames)
        if (std::string_view(name) == page)
            return true;
    return std::string_view(page).empty(); // below the pages
}

bool overlap(const Placement& a, const Placement& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height
        && b.top < a.top + a.height;
}

} // namespace

TEST(ControlTable, EveryEditSaysWhatItsTextHoldsAndItsDefaultConverts)
{
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        if (def.kind != ControlKind::Edit) {
            EXPECT_TRUE(def.textKind == TextKind::None || def.kind == ControlKind::StringGrid) << def.name;
            continue;
        }
        EXPECT_FALSE(CheckText(def.textKind, def.text)) << def.name << " '" << def.text << "'";
        // Only the stem of the file names is free text.
        EXPECT_EQ(def.textKind == TextKind::None, std::string_view(def.name) == "E_pName") << def.name;
    }
    EXPECT_EQ(ControlDefOf(Ctl::E_stop).textKind, TextKind::Integer);
    EXPECT_EQ(ControlDefOf(Ctl::E_noise).textKind, TextKind::Real);
    EXPECT_EQ(ControlDefOf(Ctl::StringGrid1).textKind, TextKind::Real);
    EXPECT_EQ(CheckText(TextKind::Integer, "0,5"), "'0,5' is not a valid integer value");
    EXPECT_EQ(CheckText(TextKind::Real, "0,"), "'0,' is not a valid floating point value");
    EXPECT_FALSE(CheckText(TextKind::Real, "0.5"));
    EXPECT_FALSE(CheckText(TextKind::None, "anything/at all"));
}

TEST(ControlTable, BuddiesBelongTogether)
{
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        const ControlDef& buddy = ControlDefOf(def.buddy);
        if (def.kind == ControlKind::UpDown) {
            EXPECT_EQ(buddy.kind, ControlKind::Edit) << def.name;
            EXPECT_EQ(UpDownOf(def.buddy), &def) << def.name;
            EXPECT_EQ(std::string(buddy.text), std::to_string(def.value)) << def.name;
        }
        if (def.buddy != def.id) {
            EXPECT_STREQ(buddy.page, def.page) << def.name;
            EXPECT_STREQ(buddy.group, def.group) << def.name;
        }
    }
    EXPECT_EQ(ControlDefOf(Ctl::Lbl_B).buddy, Ctl::TrB_thresh);
    EXPECT_EQ(ControlDefOf(Ctl::E_migTh).buddy, Ctl::CB_migrate);
    EXPECT_EQ(UpDownOf(Ctl::E_crAgs), nullptr);
}

TEST(Layout, GroupsPagesAndRowsHoldTogether)
{
    std::set<std::string> groupsUsed;
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        EXPECT_TRUE(onPage(def.page)) << def.name;
        if (*def.group == '\0')
            continue;
        const GroupDef* g = findGroup(def.group);
        ASSERT_NE(g, nullptr) << def.name << " names the unknown group " << def.group;
        EXPECT_STREQ(g->page, def.page) << def.name;
        // Radio buttons sit in a radio frame, and a radio frame holds nothing else.
        EXPECT_EQ(def.kind == ControlKind::RadioButton, g->kind == GroupKind::RadioFrame) << def.name;
        groupsUsed.insert(def.group);
    }
    for (const GroupDef& g : Groups()) {
        EXPECT_TRUE(onPage(g.page)) << g.name;
        if (*g.parent != '\0') {
            const GroupDef* parent = findGroup(g.parent);
            ASSERT_NE(parent, nullptr) << g.name;
            EXPECT_STREQ(parent->page, g.page) << g.name;
        }
        EXPECT_TRUE(groupsUsed.count(g.name)) << g.name << " holds no control";
        if (g.side != Ctl::Count) {
            EXPECT_STREQ(ControlDefOf(g.side).group, g.name) << g.name;
        }
    }
    for (const StaticText& t : StaticTexts())
        EXPECT_NE(findGroup(t.group), nullptr) << t.text;
    std::set<Ctl> inRows;
    for (std::span<const Ctl> row : ControlRows()) {
        ASSERT_GE(row.size(), 2u);
        for (Ctl id : row) {
            EXPECT_TRUE(inRows.insert(id).second) << ControlDefOf(id).name << " is in two rows";
            EXPECT_STREQ(ControlDefOf(id).page, ControlDefOf(row[0]).page);
            EXPECT_STREQ(ControlDefOf(id).group, ControlDefOf(row[0]).group);
        }
    }
}

TEST(Layout, TheMainWindowsElementsFitWithoutOverlapping)
{
    const MainWindowLook& w = MainWindow;
    const Placement parts[] = {w.panel, w.pages, w.timesteps, w.chart};
    for (const Placement& p : parts) {
        EXPECT_GE(p.left, 0) << p.name;
        EXPECT_GE(p.top, 0) << p.name;
        EXPECT_LE(p.left + p.width, w.clientWidth) << p.name;
        EXPECT_LE(p.top + p.height, w.clientHeight) << p.name;
        for (const Placement& q : parts) {
            if (&p != &q) {
                EXPECT_FALSE(overlap(p, q)) << p.name << " and " << q.name;
            }
        }
    }
    EXPECT_EQ(w.panel.width, 404);
    EXPECT_STREQ(PageNames[FrontPageAtStart], "Settings");
    EXPECT_EQ(WeightGrid.columns * WeightGrid.columnWidth, 270); // fits the 297-pixel pages
}
