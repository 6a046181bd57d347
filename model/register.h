#pragma once
// The parameter register: the state of every control of the main window
// (edit texts, check states, positions, item indexes, the weight grid's
// texts) and the rules that run when a control changes. The model reads its
// parameters from here at the moment it needs them; a window only has to keep
// its widgets and the register in step.

#include "model/controls.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace landuse {

enum class ControlEvent {
    Changed, // the text or position of a control changed
    Clicked, // a button, check box, radio button or up-down arrow was clicked
    KeyUp,   // a key was released in the weight grid
};

inline constexpr int GridCols = 6;
inline constexpr int GridRows = 4;

class ParamRegister {
public:
    using Listener = std::function<void(Ctl, ControlEvent)>;
    using ErrorSink = std::function<void(const std::string&)>;

    ParamRegister();

    // Called after the register's own rules for every event. A conversion
    // error raised by a rule or by the listener goes to the error sink (the
    // operation stops at that read); without a sink it propagates.
    void setListener(Listener listener) { listener_ = std::move(listener); }
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    const std::string& text(Ctl id) const { return texts_[size_t(id)]; }
    bool checked(Ctl id) const { return values_[size_t(id)] != 0; }
    int position(Ctl id) const { return values_[size_t(id)]; }
    int itemIndex(Ctl id) const { return values_[size_t(id)]; }

    // Conversions of a control's text; throw ConvertError with the message.
    int32_t readInt(Ctl id) const;
    double readFloat(Ctl id) const;

    // What a user does to a control. Each runs the change rules.
    void setText(Ctl id, std::string text);
    void setChecked(Ctl id, bool on);
    void setPosition(Ctl id, int position);
    void setItemIndex(Ctl id, int index);
    void click(Ctl id);

    // The weight grid, column then row.
    const std::string& gridText(int col, int row) const { return grid_[size_t(col)][size_t(row)]; }
    void setGridText(int col, int row, std::string text);
    void gridKeyUp();

    // Sets a control from "NAME=TEXT" or "StringGrid1[c,r]=TEXT", the way a
    // user would: edits take the text, check boxes and radio buttons 1/0 (or
    // true/false), scroll bars and up-downs a whole number, the drop-down an
    // item index. Throws std::invalid_argument for an unknown name or a control
    // that holds no value, ConvertError for a value that does not convert.
    void assign(std::string_view assignment);

    // Writes "<position> Grad" into the labels of the two angle scroll bars.
    void showAngleLabels();

private:
    void emit(Ctl id, ControlEvent event);
    void runGuarded(const std::function<void()>& action);
    void enforceCellSize();
    void storeText(Ctl id, std::string text);

    std::array<std::string, ControlCount> texts_;
    std::array<int, ControlCount> values_{};
    std::array<std::array<std::string, GridRows>, GridCols> grid_;
    Listener listener_;
    ErrorSink errorSink_;
    bool enforcingCellSize_ = false;
};

} // namespace landuse
