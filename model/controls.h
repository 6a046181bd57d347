#pragma once
// The table of every control of the main window: name, kind, page, group,
// label, default and range. The window is built from it, the headless
// runner's --set and the tests look controls up in it, and the model reads
// their state through the register, so no label or default is written twice.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace landuse {

enum class ControlKind {
    Edit,
    CheckBox,
    RadioButton,
    ScrollBar,
    UpDown,
    ComboBox,
    StringGrid,
    Button,
    Label,
};

// What the text of an edit (or a cell of the weight grid) holds, so that a
// window can show at once whether a text converts and a runner can check a
// value before it runs. Any text is accepted into an edit; the conversion
// message comes when the model reads it.
enum class TextKind {
    None,    // no text the model reads as a number: not an edit, or free text
    Integer, // a 32-bit whole number
    Real,    // a decimal real, comma or point
};

// Controls by name. The order is the order of the table in controls.cpp.
enum class Ctl {
    // Page "Setup"
    B_setup, B_stop, B_oneStep, CB_actAna1, CB_actAna2, Edit_anzAg, Edit_size,
    rb_rulette, rb_hill, E_crAgs, E_crServ, E_crIndu,
    // Page "Settings"
    TrB_thresh, Lbl_B, SB_wiggle, Lbl_wiggle, CB_decay, E_decay, E_CProbab,
    CB_migrate, E_migTh, E_noise, rb_direct, rb_hillCl, B_reset, StringGrid1,
    B_saveBmp, E_pName, B_saveXML,
    // Page "Graphic"
    CB_noTracks, CB_showOrig, CB_showAB, cb_noDesti, Cb_allBlack, CB_potField,
    CB_FieldNr, CB_showAg, CB_gravity, E_grav, B_repaint, B_rankSize, CB_record,
    // Page "Analysis 1"
    E_tileSz, UpD_tileSz, E_toSteps, UpD_toSteps, E_runs, UpD_runs, E_valFrom,
    E_valTo, CB_pop, CB_popNull, CB_serv, CB_servNull, CB_indu, CB_induNull,
    // Page "Analysis 2"
    E_tileSz2, UpD_tileSz2, E_toSteps2, UpD_toSteps2, E_incre, E_valFrom2,
    E_valTo2, RB_pop, RB_serv, RB_indu,
    // Group "timesteps" below the pages
    E_stop, lbl_Steps,
    Count
};

constexpr size_t ControlCount = size_t(Ctl::Count);

struct ControlDef {
    Ctl id;
    const char* name;
    ControlKind kind;
    const char* page;   // tab page, or "" for the group below the pages
    const char* group;  // group box or radio frame, "" when none
    const char* label;  // caption or label beside the control; "" when none
    const char* text;   // default text of edits and labels
    int value;          // default check state (0/1), position or item index
    int minValue;       // range of scroll bars and up-downs; 0..0 when none
    int maxValue;
    int smallChange;
    int largeChange;
    // The control this one belongs to: an up-down's edit, a value label's
    // scroll bar, the drop-down's or an edit's check box whose label it
    // shares; else the control itself.
    Ctl buddy;
    bool enabled;
    TextKind textKind;
};

const ControlDef& ControlDefOf(Ctl id);
std::optional<Ctl> FindControl(std::string_view name);

// The up-down bound to an edit, if any: its range is the edit's range too.
const ControlDef* UpDownOf(Ctl edit);

// The conversion message for a text of that kind, or nothing when it
// converts (or the kind reads no number).
std::optional<std::string> CheckText(TextKind kind, std::string_view text);

// Items of the field-number drop-down.
inline constexpr const char* FieldNrItems[] = {"1", "2", "3"};

} // namespace landuse
