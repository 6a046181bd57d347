#include "model/register.h"

#include "model/numtext.h"

#include <algorithm>
#include <stdexcept>

namespace landuse {

namespace {

constexpr int MinCellSize = 2;
constexpr int MaxCellSize = 10;

bool sameChoice(const ControlDef& a, const ControlDef& b)
{
    return std::string_view(a.page) == b.page && std::string_view(a.group) == b.group;
}

// A script's value as a message shows it: long texts are cut short.
std::string shown(std::string_view text)
{
    constexpr size_t Longest = 40;
    if (text.size() <= Longest)
        return std::string(text);
    return std::string(text.substr(0, Longest)) + "...";
}

std::string conversionMessage(TextKind kind, std::string_view text)
{
    return kind == TextKind::Integer ? IntegerMessage(shown(text)) : FloatMessage(shown(text));
}

[[noreturn]] void refuse(std::string_view name, const std::string& why)
{
    throw std::invalid_argument(std::string(name) + ": " + why);
}

// The whole number of a script's value within lo..hi.
int32_t numberInRange(std::string_view name, std::string_view value, int lo, int hi)
{
    int32_t n = 0;
    if (!TryStrToInt(value, n))
        refuse(name, conversionMessage(TextKind::Integer, value));
    if (n < lo || n > hi)
        refuse(name, IntToStr(n) + " is outside " + IntToStr(lo) + " to " + IntToStr(hi));
    return n;
}

} // namespace

ParamRegister::ParamRegister()
{
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = ControlDefOf(Ctl(i));
        texts_[i] = def.text;
        values_[i] = def.value;
    }
}

ListenerId ParamRegister::addEventListener(EventListener listener)
{
    return eventListeners_.add(std::move(listener));
}

ListenerId ParamRegister::addStateListener(StateListener listener)
{
    return stateListeners_.add(std::move(listener));
}

void ParamRegister::removeListener(ListenerId id)
{
    if (!eventListeners_.remove(id))
        stateListeners_.remove(id);
}

int32_t ParamRegister::readInt(Ctl id) const { return StrToInt(text(id)); }
double ParamRegister::readFloat(Ctl id) const { return StrToFloat(text(id)); }

void ParamRegister::runGuarded(const std::function<void()>& action)
{
    if (!errorSink_) {
        action();
        return;
    }
    try {
        action();
    } catch (const ConvertError& e) {
        errorSink_(e.what());
    }
}

void ParamRegister::raiseEvent(Ctl id, ControlEvent event)
{
    // Each handler runs to its own end: a conversion error in one does not
    // keep the others from hearing the event.
    eventListeners_.callEach([this](const auto& call) { runGuarded(call); }, id, event);
}

void ParamRegister::noteChanged(StateNotice notice)
{
    bool& waiting = notice.gridCell() ? pendingCell_[size_t(notice.col)][size_t(notice.row)]
                                      : pendingControl_[size_t(notice.id)];
    if (!waiting) {
        waiting = true;
        pending_.push_back(notice);
    }
}

void ParamRegister::endOperation()
{
    // A listener that writes starts an operation of its own; its notices
    // join the ones this loop delivers.
    if (--depth_ > 0 || delivering_)
        return;
    delivering_ = true;
    while (!pending_.empty()) {
        delivered_.clear();
        delivered_.swap(pending_);
        for (const StateNotice& n : delivered_) {
            if (n.gridCell())
                pendingCell_[size_t(n.col)][size_t(n.row)] = false;
            else
                pendingControl_[size_t(n.id)] = false;
        }
        for (size_t i = 0; i < delivered_.size(); ++i) {
            const StateNotice notice = delivered_[i];
            stateListeners_.callEach(
                [this](const auto& call) {
                    // Notices are delivered from destructors: nothing may escape.
                    try {
                        call();
                    } catch (const std::exception& e) {
                        if (errorSink_)
                            errorSink_(e.what());
                    }
                },
                notice);
        }
    }
    delivering_ = false;
}

bool ParamRegister::storeText(Ctl id, std::string text)
{
    std::string& stored = texts_[size_t(id)];
    if (stored == text)
        return false;
    stored = std::move(text);
    noteChanged({id});
    return true;
}

bool ParamRegister::storeValue(Ctl id, int value)
{
    int& stored = values_[size_t(id)];
    if (stored == value)
        return false;
    stored = value;
    noteChanged({id});
    return true;
}

void ParamRegister::enforceCellSize()
{
    const int32_t size = readInt(Ctl::Edit_size);
    if (size > MaxCellSize)
        storeText(Ctl::Edit_size, IntToStr(MaxCellSize));
    else if (size < MinCellSize)
        storeText(Ctl::Edit_size, IntToStr(MinCellSize));
}

void ParamRegister::setText(Ctl id, std::string text)
{
    Batch operation(*this);
    if (!storeText(id, std::move(text)))
        return;
    if (ControlDefOf(id).kind != ControlKind::Edit)
        return; // labels have no rules and no handlers
    runGuarded([&] {
        switch (id) {
        case Ctl::E_noise:
            if (texts_[size_t(id)].empty())
                storeText(id, "0");
            break;
        case Ctl::Edit_size:
        case Ctl::E_crServ:
        case Ctl::E_crIndu:
            enforceCellSize();
            break;
        default:
            break;
        }
        if (const ControlDef* updown = UpDownOf(id)) {
            int32_t value = 0;
            if (TryStrToInt(texts_[size_t(id)], value))
                storeValue(updown->id, std::clamp<int32_t>(value, updown->minValue, updown->maxValue));
        }
        raiseEvent(id, ControlEvent::Changed);
    });
}

void ParamRegister::setChecked(Ctl id, bool on)
{
    Batch operation(*this);
    const ControlDef& def = ControlDefOf(id);
    const bool radio = def.kind == ControlKind::RadioButton;
    if (checked(id) == on)
        return;
    if (radio && on) {
        for (size_t i = 0; i < ControlCount; ++i) {
            const ControlDef& other = ControlDefOf(Ctl(i));
            if (other.kind == ControlKind::RadioButton && sameChoice(other, def))
                storeValue(Ctl(i), 0);
        }
    }
    storeValue(id, on ? 1 : 0);
    // A radio button is clicked by being chosen; being left is no click.
    if (!radio || on)
        runGuarded([&] { raiseEvent(id, ControlEvent::Clicked); });
}

void ParamRegister::setPosition(Ctl id, int position)
{
    Batch operation(*this);
    const ControlDef& def = ControlDefOf(id);
    position = std::clamp(position, def.minValue, def.maxValue);
    if (!storeValue(id, position))
        return;
    if (def.kind == ControlKind::UpDown) {
        // The bound edit shows the position, which is a change of its text.
        setText(def.buddy, IntToStr(position));
        runGuarded([&] { raiseEvent(id, ControlEvent::Clicked); });
        return;
    }
    if (id == Ctl::TrB_thresh || id == Ctl::SB_wiggle)
        showAngleLabels();
    runGuarded([&] { raiseEvent(id, ControlEvent::Changed); });
}

void ParamRegister::setItemIndex(Ctl id, int index)
{
    Batch operation(*this);
    const ControlDef& def = ControlDefOf(id);
    if (storeValue(id, std::clamp(index, def.minValue, def.maxValue)))
        runGuarded([&] { raiseEvent(id, ControlEvent::Changed); });
}

void ParamRegister::setGridText(int col, int row, std::string text)
{
    if (col < 0 || col >= GridCols || row < 0 || row >= GridRows)
        throw std::out_of_range("StringGrid1 has no cell [" + IntToStr(col) + "," + IntToStr(row) + "]");
    Batch operation(*this);
    std::string& stored = grid_[size_t(col)][size_t(row)];
    if (stored == text)
        return;
    stored = std::move(text);
    noteChanged({Ctl::StringGrid1, col, row});
}

void ParamRegister::gridKeyUp()
{
    Batch operation(*this);
    runGuarded([&] { raiseEvent(Ctl::StringGrid1, ControlEvent::KeyUp); });
}

void ParamRegister::showAngleLabels()
{
    Batch operation(*this);
    storeText(Ctl::Lbl_B, IntToStr(position(Ctl::TrB_thresh)) + " Grad");
    storeText(Ctl::Lbl_wiggle, IntToStr(position(Ctl::SB_wiggle)) + " Grad");
}

void ParamRegister::assign(std::string_view assignment)
{
    const size_t eq = assignment.find('=');
    if (eq == std::string_view::npos)
        throw std::invalid_argument(Quoted(shown(assignment)) + " is not of the form NAME=TEXT");
    const std::string_view name = assignment.substr(0, eq);
    const std::string_view value = assignment.substr(eq + 1);

    if (name.starts_with("StringGrid1[") && name.ends_with("]")) {
        const std::string_view inner = name.substr(12, name.size() - 13);
        const size_t comma = inner.find(',');
        int32_t col = -1;
        int32_t row = -1;
        if (comma == std::string_view::npos || !TryStrToInt(inner.substr(0, comma), col)
            || !TryStrToInt(inner.substr(comma + 1), row) || col < 1 || col >= GridCols || row < 1
            || row >= GridRows)
            refuse(shown(name), "names no editable cell of StringGrid1 (columns 1 to 5, rows 1 to 3)");
        if (CheckText(TextKind::Real, value))
            refuse(name, conversionMessage(TextKind::Real, value));
        Batch operation(*this);
        setGridText(col, row, std::string(value));
        gridKeyUp();
        return;
    }

    const std::optional<Ctl> id = FindControl(name);
    if (!id)
        throw std::invalid_argument("unknown control " + Quoted(shown(name)));
    const ControlDef& def = ControlDefOf(*id);
    switch (def.kind) {
    case ControlKind::Edit: {
        if (CheckText(def.textKind, value))
            refuse(name, conversionMessage(def.textKind, value));
        // An edit with a range (the cell size, or an up-down's edit) takes
        // only numbers within it.
        const ControlDef* updown = UpDownOf(*id);
        const ControlDef& range = updown ? *updown : def;
        if (range.minValue < range.maxValue)
            (void)numberInRange(name, value, range.minValue, range.maxValue);
        setText(*id, std::string(value));
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        bool on = false;
        if (value == "1" || value == "true")
            on = true;
        else if (value == "0" || value == "false")
            on = false;
        else
            refuse(name, Quoted(shown(value)) + " is not a valid state (use 1 or 0)");
        setChecked(*id, on);
        break;
    }
    case ControlKind::ScrollBar:
    case ControlKind::UpDown:
        setPosition(*id, numberInRange(name, value, def.minValue, def.maxValue));
        break;
    case ControlKind::ComboBox:
        setItemIndex(*id, numberInRange(name, value, def.minValue, def.maxValue));
        break;
    case ControlKind::StringGrid:
    case ControlKind::Button:
    case ControlKind::Label:
        throw std::invalid_argument("control '" + std::string(name) + "' holds no value to set");
    }
}

std::optional<int32_t> DeferredInt::peek()
{
    if (!converted_) {
        converted_ = true;
        int32_t value = 0;
        if (TryStrToInt(reg_->text(id_), value))
            value_ = value;
    }
    return value_;
}

int32_t DeferredInt::operator()()
{
    if (!peek())
        throw ConvertError(IntegerMessage(reg_->text(id_)));
    return *value_;
}

} // namespace landuse
