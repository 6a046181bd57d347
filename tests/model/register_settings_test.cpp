// A register's settings as NAME=TEXT lines, and back.

#include "model/register_settings.h"
#include "model/weighttable.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace landuse;

TEST(RegisterSettings, AssigningTheLinesRebuildsTheSameRegister)
{
    ParamRegister reg;
    TWeightTable table;
    ResetWeightTable(reg, table);
    const std::vector<std::string> defaults = SettingsOf(reg);
    for (const char* s : {"E_crAgs=7", "CB_migrate=1", "TrB_thresh=30", "StringGrid1[3,2]=0,7", "RB_serv=1",
                          "E_pName=run a_", "CB_FieldNr=2", "E_toSteps=500"})
        reg.assign(s);
    const std::vector<std::string> settings = SettingsOf(reg);
    EXPECT_EQ(settings.size(), defaults.size());

    ParamRegister copy;
    ResetWeightTable(copy, table);
    for (const std::string& line : settings)
        copy.assign(line);
    EXPECT_EQ(SettingsOf(copy), settings);

    const std::vector<std::string> changed = ChangedSettings(settings, defaults);
    for (const char* s : {"E_crAgs=7", "CB_migrate=1", "TrB_thresh=30", "StringGrid1[3,2]=0,7", "RB_serv=1",
                          "RB_pop=0", "E_pName=run a_", "CB_FieldNr=2", "E_toSteps=500", "UpD_toSteps=500"})
        EXPECT_NE(std::find(changed.begin(), changed.end(), s), changed.end()) << s;
    EXPECT_EQ(changed.size(), 10u);
    // Buttons and labels are no settings.
    for (const std::string& line : settings) {
        EXPECT_FALSE(line.starts_with("B_")) << line;
        EXPECT_FALSE(line.starts_with("lbl_") || line.starts_with("Lbl_")) << line;
    }
}
