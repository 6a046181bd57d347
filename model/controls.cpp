#include "model/controls.h"

#include "model/numtext.h"

#include <array>

namespace landuse {

namespace {

using K = ControlKind;

constexpr const char* Setup = "Setup";
constexpr const char* Settings = "Settings";
constexpr const char* Graphic = "Graphic";
constexpr const char* Ana1 = "Analysis 1";
constexpr const char* Ana2 = "Analysis 2";

constexpr const char* SetupSettings = "setup settings";
constexpr const char* SniffWith = "sniff chemicals with";
constexpr const char* CreatePerStep = "create per time step";
constexpr const char* ReturnModeFrame = "return mode";
constexpr const char* Output = "output";
constexpr const char* WeightSpace = "parameter space for weights";
constexpr const char* RandomValuesFor = "random values for";
constexpr const char* NoiseSpace = "parameter space for noise";
constexpr const char* ValuesFor = "values for";
constexpr const char* Timesteps = "timesteps";

// Shorthands for the table rows.
using T = TextKind;

constexpr ControlDef edit(Ctl id, const char* name, const char* page, const char* group, const char* label,
                          const char* text, TextKind kind, Ctl buddy, bool enabled = true)
{
    return {id, name, K::Edit, page, group, label, text, 0, 0, 0, 0, 0, buddy, enabled, kind};
}
constexpr ControlDef edit(Ctl id, const char* name, const char* page, const char* group, const char* label,
                          const char* text, TextKind kind)
{
    return edit(id, name, page, group, label, text, kind, id);
}
constexpr ControlDef check(Ctl id, const char* name, const char* page, const char* group,
                           const char* label, int on, bool enabled = true)
{
    return {id, name, K::CheckBox, page, group, label, "", on, 0, 1, 0, 0, id, enabled, T::None};
}
constexpr ControlDef radio(Ctl id, const char* name, const char* page, const char* group,
                           const char* label, int on)
{
    return {id, name, K::RadioButton, page, group, label, "", on, 0, 1, 0, 0, id, true, T::None};
}
constexpr ControlDef scroll(Ctl id, const char* name, const char* page, const char* label,
                            int pos, int lo, int hi)
{
    return {id, name, K::ScrollBar, page, "", label, "", pos, lo, hi, 1, 5, id, true, T::None};
}
constexpr ControlDef updown(Ctl id, const char* name, const char* page, const char* group,
                            Ctl buddy, int pos, int lo, int hi)
{
    return {id, name, K::UpDown, page, group, "", "", pos, lo, hi, 1, 1, buddy, true, T::None};
}
constexpr ControlDef button(Ctl id, const char* name, const char* page, const char* group,
                            const char* caption)
{
    return {id, name, K::Button, page, group, caption, "", 0, 0, 0, 0, 0, id, true, T::None};
}
constexpr ControlDef label(Ctl id, const char* name, const char* page, const char* group,
                           const char* text, Ctl buddy)
{
    return {id, name, K::Label, page, group, "", text, 0, 0, 0, 0, 0, buddy, true, T::None};
}

constexpr std::array<ControlDef, ControlCount> Table = {{
    button(Ctl::B_setup, "B_setup", Setup, SetupSettings, "new Setup"),
    button(Ctl::B_stop, "B_stop", Setup, SetupSettings, "start / stop"),
    button(Ctl::B_oneStep, "B_oneStep", Setup, SetupSettings, "one step"),
    check(Ctl::CB_actAna1, "CB_actAna1", Setup, SetupSettings, "activate analysis 1", 0),
    check(Ctl::CB_actAna2, "CB_actAna2", Setup, SetupSettings, "activate analysis 2", 0),
    edit(Ctl::Edit_anzAg, "Edit_anzAg", Setup, SetupSettings, ": number of max agents in system", "2400", T::Integer),
    {Ctl::Edit_size, "Edit_size", K::Edit, Setup, SetupSettings, ": cell size -> number of cells ", "2", 0, 2, 10, 0, 0, Ctl::Edit_size, true, T::Integer},
    radio(Ctl::rb_rulette, "rb_rulette", Setup, SniffWith, "rulette wheel", 0),
    radio(Ctl::rb_hill, "rb_hill", Setup, SniffWith, "hill climbing", 1),
    edit(Ctl::E_crAgs, "E_crAgs", Setup, CreatePerStep, ": population agents / residental cells  | green", "3", T::Integer),
    edit(Ctl::E_crServ, "E_crServ", Setup, CreatePerStep, ": service recources                           | red", "1", T::Integer),
    edit(Ctl::E_crIndu, "E_crIndu", Setup, CreatePerStep, ": industrial resources                         | blue", "1", T::Integer),

    scroll(Ctl::TrB_thresh, "TrB_thresh", Settings, "angle threshold :", 22, 0, 180),
    label(Ctl::Lbl_B, "Lbl_B", Settings, "", "___", Ctl::TrB_thresh),
    scroll(Ctl::SB_wiggle, "SB_wiggle", Settings, "wiggle threshold :", 20, 0, 180),
    label(Ctl::Lbl_wiggle, "Lbl_wiggle", Settings, "", "___", Ctl::SB_wiggle),
    check(Ctl::CB_decay, "CB_decay", Settings, "", ": path decay ", 0),
    edit(Ctl::E_decay, "E_decay", Settings, "", "", "0,99", T::Real, Ctl::CB_decay),
    edit(Ctl::E_CProbab, "E_CProbab", Settings, "", ": consume Probab.", "0,1", T::Real),
    check(Ctl::CB_migrate, "CB_migrate", Settings, "", ": migrat. thresh", 0),
    edit(Ctl::E_migTh, "E_migTh", Settings, "", "", "2", T::Integer, Ctl::CB_migrate),
    edit(Ctl::E_noise, "E_noise", Settings, "", ": return noise", "30", T::Real),
    radio(Ctl::rb_direct, "rb_direct", Settings, ReturnModeFrame, "direct way", 0),
    radio(Ctl::rb_hillCl, "rb_hillCl", Settings, ReturnModeFrame, "use existing tracks", 1),
    button(Ctl::B_reset, "B_reset", Settings, "", "reset values"),
    {Ctl::StringGrid1, "StringGrid1", K::StringGrid, Settings, "", "", "", 0, 0, 0, 0, 0, Ctl::StringGrid1, true, T::Real},
    button(Ctl::B_saveBmp, "B_saveBmp", Settings, "", "save bmp"),
    edit(Ctl::E_pName, "E_pName", Settings, "", "", "001_pic_", T::None),
    button(Ctl::B_saveXML, "B_saveXML", Settings, "", "save xls"),

    check(Ctl::CB_noTracks, "CB_noTracks", Graphic, Output, "all cells white", 0),
    check(Ctl::CB_showOrig, "CB_showOrig", Graphic, Output, "show no tracks", 1),
    check(Ctl::CB_showAB, "CB_showAB", Graphic, Output, "show only return tracks", 1),
    check(Ctl::cb_noDesti, "cb_noDesti", Graphic, Output, "show no destinations", 0),
    check(Ctl::Cb_allBlack, "Cb_allBlack", Graphic, Output, "all destinations black", 0),
    check(Ctl::CB_potField, "CB_potField", Graphic, Output, "show potential field nr.", 0),
    {Ctl::CB_FieldNr, "CB_FieldNr", K::ComboBox, Graphic, Output, "", "1", 0, 0, 2, 0, 0, Ctl::CB_potField, true, T::None},
    check(Ctl::CB_showAg, "CB_showAg", Graphic, Output, "show agents", 0),
    check(Ctl::CB_gravity, "CB_gravity", Graphic, Output, "show gravity linies   |   size:", 0, false),
    edit(Ctl::E_grav, "E_grav", Graphic, Output, "", "5", T::Integer, Ctl::CB_gravity, false),
    button(Ctl::B_repaint, "B_repaint", Graphic, Output, "repaint all"),
    button(Ctl::B_rankSize, "B_rankSize", Graphic, "", "rank size "),
    // Records the world as an animated GIF while the run goes on.
    check(Ctl::CB_record, "CB_record", Graphic, "", "record", 0),

    edit(Ctl::E_tileSz, "E_tileSz", Ana1, "", "tile size for rank-size measure:", "20", T::Integer),
    updown(Ctl::UpD_tileSz, "UpD_tileSz", Ana1, "", Ctl::E_tileSz, 20, 2, 50),
    edit(Ctl::E_toSteps, "E_toSteps", Ana1, WeightSpace, "timesteps per run:", "800", T::Integer),
    updown(Ctl::UpD_toSteps, "UpD_toSteps", Ana1, WeightSpace, Ctl::E_toSteps, 800, 1, 32000),
    edit(Ctl::E_runs, "E_runs", Ana1, WeightSpace, "end at runs:", "32700", T::Integer),
    updown(Ctl::UpD_runs, "UpD_runs", Ana1, WeightSpace, Ctl::E_runs, 32700, 1, 32700),
    edit(Ctl::E_valFrom, "E_valFrom", Ana1, WeightSpace, "values from:", "-1,0", T::Real),
    edit(Ctl::E_valTo, "E_valTo", Ana1, WeightSpace, "to:", "1,0", T::Real),
    check(Ctl::CB_pop, "CB_pop", Ana1, RandomValuesFor, "population", 1),
    check(Ctl::CB_popNull, "CB_popNull", Ana1, RandomValuesFor, "set to null", 0),
    check(Ctl::CB_serv, "CB_serv", Ana1, RandomValuesFor, "service", 1),
    check(Ctl::CB_servNull, "CB_servNull", Ana1, RandomValuesFor, "set to null", 0),
    check(Ctl::CB_indu, "CB_indu", Ana1, RandomValuesFor, "industry", 1),
    check(Ctl::CB_induNull, "CB_induNull", Ana1, RandomValuesFor, "set to null", 0),

    edit(Ctl::E_tileSz2, "E_tileSz2", Ana2, "", "tile size for rank-size measure:", "20", T::Integer),
    updown(Ctl::UpD_tileSz2, "UpD_tileSz2", Ana2, "", Ctl::E_tileSz2, 20, 2, 50),
    edit(Ctl::E_toSteps2, "E_toSteps2", Ana2, NoiseSpace, "timesteps per run:", "800", T::Integer),
    updown(Ctl::UpD_toSteps2, "UpD_toSteps2", Ana2, NoiseSpace, Ctl::E_toSteps2, 800, 1, 32000),
    edit(Ctl::E_incre, "E_incre", Ana2, NoiseSpace, "increment:", "1", T::Real),
    edit(Ctl::E_valFrom2, "E_valFrom2", Ana2, NoiseSpace, "values from:", "0,0", T::Real),
    edit(Ctl::E_valTo2, "E_valTo2", Ana2, NoiseSpace, "to:", "12,0", T::Real),
    radio(Ctl::RB_pop, "RB_pop", Ana2, ValuesFor, "population", 1),
    radio(Ctl::RB_serv, "RB_serv", Ana2, ValuesFor, "service", 0),
    radio(Ctl::RB_indu, "RB_indu", Ana2, ValuesFor, "industry", 0),

    edit(Ctl::E_stop, "E_stop", "", Timesteps, "stop at time :", "800", T::Integer),
    label(Ctl::lbl_Steps, "lbl_Steps", "", Timesteps, "lbl_Steps", Ctl::lbl_Steps),
}};

constexpr bool tableInOrder()
{
    for (size_t i = 0; i < Table.size(); ++i)
        if (size_t(Table[i].id) != i)
            return false;
    return true;
}
static_assert(tableInOrder(), "control table rows must follow the order of Ctl");

} // namespace

const ControlDef& ControlDefOf(Ctl id) { return Table[size_t(id)]; }

std::optional<Ctl> FindControl(std::string_view name)
{
    for (const ControlDef& def : Table)
        if (name == def.name)
            return def.id;
    return std::nullopt;
}

const ControlDef* UpDownOf(Ctl edit)
{
    for (const ControlDef& def : Table)
        if (def.kind == ControlKind::UpDown && def.buddy == edit)
            return &def;
    return nullptr;
}

std::optional<std::string> CheckText(TextKind kind, std::string_view text)
{
    try {
        if (kind == TextKind::Integer)
            (void)StrToInt(text);
        else if (kind == TextKind::Real)
            (void)StrToFloat(text);
    } catch (const ConvertError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace landuse
