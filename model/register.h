#pragma once
// The parameter register: the state of every control of the main window
// (edit and label texts, check states, positions, item indexes, the weight
// grid's texts) and the rules that run when a control changes. The model
// reads its parameters from here at the moment it needs them.
//
// Two kinds of listeners, any number of each:
// - event listeners hear what the window's handlers react to: an edit's text
//   changed, a box, button or arrow clicked, a key released in the grid;
// - state listeners hear, once per operation, of every control, label and
//   grid cell whose stored state changed, whoever changed it (a user, a
//   rule, the model). A window stays in step by listening alone.
// Commands (the buttons) are not the register's business: the simulation
// runs them when the window asks.

#include "model/controls.h"
#include "model/listeners.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace landuse {

enum class ControlEvent {
    Changed, // the text of an edit or the position of a scroll bar changed
    Clicked, // a check box or radio button changed state, an up-down arrow was clicked
    KeyUp,   // a key was released in the weight grid
};

// Which stored state changed: a control, or a cell of the weight grid.
struct StateNotice {
    Ctl id = Ctl::Count; // Ctl::StringGrid1 for a grid cell
    int col = -1;        // the grid cell; -1 for a control
    int row = -1;

    bool gridCell() const { return col >= 0; }
    friend bool operator==(const StateNotice&, const StateNotice&) = default;
};

inline constexpr int GridCols = 6;
inline constexpr int GridRows = 4;

class ParamRegister {
public:
    using EventListener = std::function<void(Ctl, ControlEvent)>;
    using StateListener = std::function<void(const StateNotice&)>;
    using ErrorSink = std::function<void(const std::string&)>;

    ParamRegister();
    ParamRegister(const ParamRegister&) = delete;
    ParamRegister& operator=(const ParamRegister&) = delete;

    ListenerId addEventListener(EventListener listener);
    ListenerId addStateListener(StateListener listener);
    void removeListener(ListenerId id);
    // A conversion error raised by a rule or an event listener goes here: the
    // operation that was reading stops at that read and the user sees the
    // message. Without a sink it propagates to the caller.
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    const std::string& text(Ctl id) const { return texts_[size_t(id)]; }
    bool checked(Ctl id) const { return values_[size_t(id)] != 0; }
    int position(Ctl id) const { return values_[size_t(id)]; }
    int itemIndex(Ctl id) const { return values_[size_t(id)]; }

    // Conversions of a control's text; throw ConvertError with the message.
    int32_t readInt(Ctl id) const;
    double readFloat(Ctl id) const;

    // What a user does to a control, or the model writes into it. Each runs
    // the change rules; a write that changes nothing raises nothing.
    void setText(Ctl id, std::string text);
    void setChecked(Ctl id, bool on);
    void setPosition(Ctl id, int position);
    void setItemIndex(Ctl id, int index);

    // The weight grid, column then row.
    const std::string& gridText(int col, int row) const { return grid_[size_t(col)][size_t(row)]; }
    void setGridText(int col, int row, std::string text);
    void gridKeyUp();

    // Writes "<position> Grad" into the labels of the two angle scroll bars.
    void showAngleLabels();

    // Groups writes into one operation: their state notices come at the end
    // of the outermost group, one per changed control or cell.
    class Batch {
    public:
        explicit Batch(ParamRegister& reg) : reg_(reg) { ++reg_.depth_; }
        ~Batch() { reg_.endOperation(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        ParamRegister& reg_;
    };

    // Sets a control from "NAME=TEXT" or "StringGrid1[c,r]=TEXT", as a
    // script does: edits take a text of their kind, check boxes and radio
    // buttons 1/0 (or true/false), scroll bars and up-downs a whole number
    // within their range, the drop-down an item index. Nothing is clamped or
    // left for later: a text that would not convert or a number out of range
    // throws std::invalid_argument naming the control, and the register is
    // left as it was.
    void assign(std::string_view assignment);

private:
    void endOperation();
    void noteChanged(StateNotice notice);
    void raiseEvent(Ctl id, ControlEvent event);
    void runGuarded(const std::function<void()>& action);
    void enforceCellSize();
    bool storeText(Ctl id, std::string text);
    bool storeValue(Ctl id, int value);

    std::array<std::string, ControlCount> texts_;
    std::array<int, ControlCount> values_{};
    std::array<std::array<std::string, GridRows>, GridCols> grid_;
    ListenerList<Ctl, ControlEvent> eventListeners_;
    ListenerList<const StateNotice&> stateListeners_;
    ErrorSink errorSink_;

    // Notices wait for the end of the outermost operation.
    int depth_ = 0;
    bool delivering_ = false;
    std::vector<StateNotice> pending_;
    std::vector<StateNotice> delivered_; // kept to reuse its memory
    std::array<bool, ControlCount> pendingControl_{};
    std::array<std::array<bool, GridRows>, GridCols> pendingCell_{};
};

// A control's whole number, converted when an operation first needs it and
// kept for the rest of that operation: the text is converted once, and one
// that does not convert fails at the moment the value is needed.
class DeferredInt {
public:
    DeferredInt(const ParamRegister& reg, Ctl id) : reg_(&reg), id_(id) {}

    // Throws ConvertError when the text does not convert.
    int32_t operator()();
    // The value when the text converts, nothing otherwise; never fails.
    std::optional<int32_t> peek();

private:
    const ParamRegister* reg_;
    Ctl id_;
    std::optional<int32_t> value_;
    bool converted_ = false;
};

} // namespace landuse
