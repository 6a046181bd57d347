#include "ui/layout.h"

#include <array>
#include <string_view>

namespace landuse {

namespace {

using G = GroupKind;

constexpr GroupDef GroupTable[] = {
    {"setup settings", "Setup", "", G::GroupBox},
    {"sniff chemicals with", "Setup", "", G::RadioFrame},
    {"create per time step", "Setup", "", G::GroupBox},
    {"return mode", "Settings", "", G::RadioFrame},
    {"output", "Graphic", "", G::GroupBox, Ctl::B_repaint, 4},
    {"parameter space for weights", "Analysis 1", "", G::GroupBox},
    {"random values for", "Analysis 1", "parameter space for weights", G::GroupBox},
    {"parameter space for noise", "Analysis 2", "", G::GroupBox},
    {"values for", "Analysis 2", "parameter space for noise", G::RadioFrame},
    {"timesteps", "", "", G::GroupBox},
};

constexpr StaticText TextTable[] = {
    {"Analysis 1", "parameter space for weights", "start at setup and activate analysis 1"},
    {"Analysis 2", "parameter space for noise", "start at setup and activate analysis 2"},
};

constexpr Ctl RunButtons[] = {Ctl::B_setup, Ctl::B_stop, Ctl::B_oneStep};
// The edit of a check box whose caption starts with ':' stands before it.
constexpr Ctl Decay[] = {Ctl::E_decay, Ctl::CB_decay};
constexpr Ctl Migration[] = {Ctl::E_migTh, Ctl::CB_migrate};
constexpr Ctl SaveRow[] = {Ctl::B_saveBmp, Ctl::E_pName, Ctl::B_saveXML};
constexpr Ctl FieldView[] = {Ctl::CB_potField, Ctl::CB_FieldNr};
constexpr Ctl Gravity[] = {Ctl::CB_gravity, Ctl::E_grav};
constexpr Ctl Population[] = {Ctl::CB_pop, Ctl::CB_popNull};
constexpr Ctl ServiceRow[] = {Ctl::CB_serv, Ctl::CB_servNull};
constexpr Ctl IndustryRow[] = {Ctl::CB_indu, Ctl::CB_induNull};
constexpr Ctl StepRow[] = {Ctl::lbl_Steps, Ctl::E_stop};

constexpr std::array<std::span<const Ctl>, 10> RowTable = {{
    RunButtons, Decay, Migration, SaveRow, FieldView, Gravity, Population, ServiceRow, IndustryRow, StepRow,
}};

} // namespace

std::span<const GroupDef> Groups() { return GroupTable; }

const GroupDef* findGroup(const char* name)
{
    for (const GroupDef& g : GroupTable)
        if (std::string_view(g.name) == name)
            return &g;
    return nullptr;
}

std::span<const StaticText> StaticTexts() { return TextTable; }

std::span<const std::span<const Ctl>> ControlRows() { return RowTable; }

} // namespace landuse
