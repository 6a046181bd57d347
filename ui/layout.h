#pragma once
// What a window needs besides the control table to lay itself out: the pages
// in tab order, the groups and frames with their nesting, controls that sit
// side by side, the static notes, the weight grid's shape and the places of
// the main window's fixed elements. A window is generated from these and the
// table; it places nothing by hand.

#include "model/controls.h"

#include <span>

namespace landuse {

// Tab pages of PageControl1, in order.
inline constexpr const char* PageNames[] = {"Setup", "Settings", "Graphic", "Analysis 1", "Analysis 2"};
inline constexpr int FrontPageAtStart = 1; // "Settings"

enum class GroupKind {
    GroupBox,   // a titled box
    RadioFrame, // a titled box whose radio buttons form one choice
};

// A group box or radio frame. Controls name their group in the table; a
// group inside another names its parent. Groups follow in the order they
// appear on their page; a nested group comes after its parent's controls
// that the table lists before the first control of the nested group.
struct GroupDef {
    const char* name;   // title, also the name the table rows use
    const char* page;   // "" for the group below the pages
    const char* parent; // "" when the group sits on the page itself
    GroupKind kind;
    // A control that stands beside the group's first `sideRows` rows, at
    // its top right and as tall as they are; Ctl::Count when none.
    Ctl side = Ctl::Count;
    int sideRows = 0;
};

std::span<const GroupDef> Groups();
const GroupDef* findGroup(const char* name);

// A note of the window that holds no state, shown last in its group.
struct StaticText {
    const char* page;
    const char* group;
    const char* text;
};

std::span<const StaticText> StaticTexts();

// Controls laid out side by side in one row, left to right. A control that
// is in no row sits on a line of its own (with its up-down, if it has one).
// An edit whose label starts with ':' stands left of that label, as in
// "[2400] : number of max agents in system"; other labels come first.
std::span<const std::span<const Ctl>> ControlRows();

// StringGrid1: 6 columns, 4 rows, the first of each fixed (headers).
struct WeightGridLook {
    int columns = 6;
    int rows = 4;
    int fixedColumns = 1;
    int fixedRows = 1;
    int columnWidth = 45; // pixels
    int rowHeight = 20;   // pixels
    bool scrollBars = false;
    bool gridLines = true;
    bool rangeSelect = true;
};
inline constexpr WeightGridLook WeightGrid{};

// A fixed element of the main window, in client-area pixels.
struct Placement {
    const char* name;
    int left;
    int top;
    int width;
    int height;
};

struct MainWindowLook {
    const char* caption = "Morvane_04_Land Use";
    int left = 120; // screen position
    int top = 0;
    int clientWidth = 731;
    int clientHeight = 712;
    const char* fontFamily = "Tahoma";
    int fontPixelHeight = 10;
    Placement panel{"ZeichenPanel", 16, 8, 404, 404};
    Placement pages{"PageControl1", 426, 8, 297, 360};
    Placement timesteps{"timesteps", 424, 373, 297, 41}; // lbl_Steps, "stop at time :", E_stop
    Placement chart{"Chart1", 8, 423, 713, 281};
};
inline constexpr MainWindowLook MainWindow{};

// The rank-size window, TForm2.
struct RankSizeWindowLook {
    const char* caption = "Rank-Size";
    int clientWidth = 841;
    int clientHeight = 712;
    const char* fontFamily = "Tahoma";
    int fontPointSize = 8;
    Placement rankSize{"C_RankSize", 8, 8, 521, 345};
    Placement linear{"C_Linear", 8, 359, 521, 345};
    Placement undoZoom{"B_undoZoom", 758, 359, 75, 25};
    const char* undoZoomCaption = "undo zoom";
    Placement ana1{"SG_Ana1", 535, 8, 298, 345};
    Placement ana2{"SG_Ana2", 535, 390, 298, 314};
    int gridColumnWidth = 70; // pixels, 4 columns
    int gridRowHeight = 15;
};
inline constexpr RankSizeWindowLook RankSizeWindowLayout{};

} // namespace landuse
