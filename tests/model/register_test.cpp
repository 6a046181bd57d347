#include "model/register.h"

#include "model/numtext.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace landuse;

TEST(Controls, TableNamesAreUniqueAndFindable)
{
    std::set<std::string> names;
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        EXPECT_TRUE(names.insert(def.name).second) << def.name;
        EXPECT_EQ(FindControl(def.name), Ctl(i));
    }
    EXPECT_FALSE(FindControl("Edit_nothing").has_value());
}

TEST(Register, StartsWithTheDefaults)
{
    ParamRegister reg;
    EXPECT_EQ(reg.text(Ctl::Edit_anzAg), "2400");
    EXPECT_EQ(reg.text(Ctl::E_decay), "0,99");
    EXPECT_EQ(reg.text(Ctl::E_pName), "001_pic_");
    EXPECT_EQ(reg.text(Ctl::E_valFrom), "-1,0");
    EXPECT_EQ(reg.position(Ctl::TrB_thresh), 22);
    EXPECT_EQ(reg.position(Ctl::SB_wiggle), 20);
    EXPECT_EQ(reg.position(Ctl::UpD_runs), 32700);
    EXPECT_TRUE(reg.checked(Ctl::rb_hill));
    EXPECT_FALSE(reg.checked(Ctl::rb_rulette));
    EXPECT_TRUE(reg.checked(Ctl::rb_hillCl));
    EXPECT_TRUE(reg.checked(Ctl::CB_showOrig));
    EXPECT_TRUE(reg.checked(Ctl::CB_showAB));
    EXPECT_FALSE(reg.checked(Ctl::CB_decay));
    EXPECT_EQ(reg.itemIndex(Ctl::CB_FieldNr), 0);
    EXPECT_EQ(reg.text(Ctl::Lbl_B), "___");
    EXPECT_FALSE(ControlDefOf(Ctl::E_grav).enabled);
    EXPECT_STREQ(ControlDefOf(Ctl::CB_gravity).label, "show gravity linies   |   size:");
}

TEST(Register, CellSizeIsKeptWithinTwoToTen)
{
    ParamRegister reg;
    reg.setText(Ctl::Edit_size, "12");
    EXPECT_EQ(reg.text(Ctl::Edit_size), "10");
    reg.setText(Ctl::Edit_size, "1");
    EXPECT_EQ(reg.text(Ctl::Edit_size), "2");
    reg.setText(Ctl::Edit_size, "7");
    EXPECT_EQ(reg.text(Ctl::Edit_size), "7");

    // A change of the service or industry count enforces the range too.
    std::vector<std::string> errors;
    reg.setErrorSink([&](const std::string& m) { errors.push_back(m); });
    reg.setText(Ctl::Edit_size, "25");
    EXPECT_EQ(reg.text(Ctl::Edit_size), "10");
    reg.setText(Ctl::Edit_size, "abc");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'abc' is not a valid integer value");
    reg.setText(Ctl::E_crServ, "2");
    reg.setText(Ctl::E_crIndu, "2");
    EXPECT_EQ(errors.size(), 3u);
    EXPECT_EQ(reg.text(Ctl::E_crServ), "2");
}

TEST(Register, EmptyNoiseBecomesZero)
{
    ParamRegister reg;
    reg.setText(Ctl::E_noise, "");
    EXPECT_EQ(reg.text(Ctl::E_noise), "0");
    reg.setText(Ctl::E_noise, "12,6");
    EXPECT_EQ(RoundToInt(reg.readFloat(Ctl::E_noise)), 13);
    reg.setText(Ctl::E_noise, "12,5");
    EXPECT_EQ(RoundToInt(reg.readFloat(Ctl::E_noise)), 12);
}

TEST(Register, ScrollBarsShowTheirLabelsAndStayInRange)
{
    ParamRegister reg;
    reg.setPosition(Ctl::TrB_thresh, 45);
    EXPECT_EQ(reg.text(Ctl::Lbl_B), "45 Grad");
    reg.setPosition(Ctl::SB_wiggle, 500);
    EXPECT_EQ(reg.position(Ctl::SB_wiggle), 180);
    EXPECT_EQ(reg.text(Ctl::Lbl_wiggle), "180 Grad");
}

TEST(Register, UpDownAndItsEditFollowEachOther)
{
    ParamRegister reg;
    std::vector<std::pair<Ctl, ControlEvent>> events;
    reg.addEventListener([&](Ctl id, ControlEvent e) { events.emplace_back(id, e); });
    reg.setText(Ctl::E_tileSz, "30");
    EXPECT_EQ(reg.position(Ctl::UpD_tileSz), 30);
    reg.setPosition(Ctl::UpD_tileSz2, 7);
    EXPECT_EQ(reg.text(Ctl::E_tileSz2), "7");
    EXPECT_EQ(reg.position(Ctl::UpD_tileSz), 30);
    reg.setText(Ctl::E_tileSz, "99");
    EXPECT_EQ(reg.position(Ctl::UpD_tileSz), 50);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], std::make_pair(Ctl::E_tileSz, ControlEvent::Changed));
    EXPECT_EQ(events[1], std::make_pair(Ctl::E_tileSz2, ControlEvent::Changed));
    EXPECT_EQ(events[2], std::make_pair(Ctl::UpD_tileSz2, ControlEvent::Clicked));
}

TEST(Register, RadioButtonsFormOneChoicePerFrame)
{
    ParamRegister reg;
    reg.setChecked(Ctl::rb_direct, true);
    EXPECT_TRUE(reg.checked(Ctl::rb_direct));
    EXPECT_FALSE(reg.checked(Ctl::rb_hillCl));
    EXPECT_TRUE(reg.checked(Ctl::rb_hill)); // another frame is untouched
    reg.setChecked(Ctl::RB_indu, true);
    EXPECT_FALSE(reg.checked(Ctl::RB_pop));
    EXPECT_FALSE(reg.checked(Ctl::RB_serv));
}

TEST(Register, AssignsByNameLikeAUser)
{
    ParamRegister reg;
    reg.assign("E_crAgs=5");
    EXPECT_EQ(reg.text(Ctl::E_crAgs), "5");
    reg.assign("CB_decay=1");
    EXPECT_TRUE(reg.checked(Ctl::CB_decay));
    reg.assign("rb_direct=true");
    EXPECT_FALSE(reg.checked(Ctl::rb_hillCl));
    reg.assign("TrB_thresh=90");
    EXPECT_EQ(reg.position(Ctl::TrB_thresh), 90);
    reg.assign("StringGrid1[5,1]=0,0");
    EXPECT_EQ(reg.gridText(5, 1), "0,0");
    reg.assign("E_pName=");
    EXPECT_EQ(reg.text(Ctl::E_pName), "");

    EXPECT_THROW(reg.assign("E_nothing=1"), std::invalid_argument);
    EXPECT_THROW(reg.assign("E_crAgs"), std::invalid_argument);
    EXPECT_THROW(reg.assign("CB_decay=maybe"), std::invalid_argument);
    EXPECT_THROW(reg.assign("B_setup=1"), std::invalid_argument);
    EXPECT_THROW(reg.assign("StringGrid1[0,0]=x"), std::invalid_argument);
    EXPECT_THROW(reg.assign("StringGrid1[6,1]=1"), std::invalid_argument);
    EXPECT_THROW(reg.assign("TrB_thresh=4x"), std::invalid_argument);
}
