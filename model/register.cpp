#include "model/register.h"

#include "model/numtext.h"

#include <algorithm>
#include <stdexcept>

namespace landuse {

namespace {

constexpr int MinCellSize = 2;
constexpr int MaxCellSize = 10;

// The up-down bound to an edit, if any.
const ControlDef* upDownOf(Ctl edit)
{
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = controlDef(Ctl(i));
        if (def.kind == ControlKind::UpDown && def.buddy == edit)
            return &def;
    }
    return nullptr;
}

bool sameChoice(const ControlDef& a, const ControlDef& b)
{
    return std::string_view(a.page) == b.page && std::string_view(a.group) == b.group;
}

} // namespace

ParamRegister::ParamRegister()
{
    for (size_t i = 0; i < ControlCount; ++i) {
        const ControlDef& def = controlDef(Ctl(i));
        texts_[i] = def.text;
        values_[i] = def.value;
    }
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

void ParamRegister::emit(Ctl id, ControlEvent event)
{
    if (listener_)
        listener_(id, event);
}

void ParamRegister::storeText(Ctl id, std::string text)
{
    texts_[size_t(id)] = std::move(text);
}

void ParamRegister::enforceCellSize()
{
    // Setting the text below changes Edit_size again; that nested change finds
    // the value in range and stops.
    if (enforcingCellSize_)
        return;
    const int32_t size = readInt(Ctl::Edit_size);
    enforcingCellSize_ = true;
    if (size > MaxCellSize)
        storeText(Ctl::Edit_size, IntToStr(MaxCellSize));
    else if (size < MinCellSize)
        storeText(Ctl::Edit_size, IntToStr(MinCellSize));
    enforcingCellSize_ = false;
}

void ParamRegister::setText(Ctl id, std::string text)
{
    storeText(id, std::move(text));
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
        if (const ControlDef* updown = upDownOf(id)) {
            int32_t value = 0;
            if (TryStrToInt(texts_[size_t(id)], value))
                values_[size_t(updown->id)] = std::clamp<int32_t>(value, updown->minValue, updown->maxValue);
        }
        emit(id, ControlEvent::Changed);
    });
}

void ParamRegister::setChecked(Ctl id, bool on)
{
    const ControlDef& def = controlDef(id);
    if (def.kind == ControlKind::RadioButton && on) {
        for (size_t i = 0; i < ControlCount; ++i) {
            const ControlDef& other = controlDef(Ctl(i));
            if (other.kind == ControlKind::RadioButton && sameChoice(other, def))
                values_[i] = 0;
        }
    }
    values_[size_t(id)] = on ? 1 : 0;
    runGuarded([&] { emit(id, ControlEvent::Clicked); });
}

void ParamRegister::setPosition(Ctl id, int position)
{
    const ControlDef& def = controlDef(id);
    position = std::clamp(position, def.minValue, def.maxValue);
    values_[size_t(id)] = position;
    if (def.kind == ControlKind::UpDown) {
        // The bound edit shows the position, which is a change of its text.
        setText(def.buddy, IntToStr(position));
        runGuarded([&] { emit(id, ControlEvent::Clicked); });
        return;
    }
    if (id == Ctl::TrB_thresh || id == Ctl::SB_wiggle)
        showAngleLabels();
    runGuarded([&] { emit(id, ControlEvent::Changed); });
}

void ParamRegister::setItemIndex(Ctl id, int index)
{
    const ControlDef& def = controlDef(id);
    values_[size_t(id)] = std::clamp(index, def.minValue, def.maxValue);
    runGuarded([&] { emit(id, ControlEvent::Changed); });
}

void ParamRegister::click(Ctl id)
{
    runGuarded([&] { emit(id, ControlEvent::Clicked); });
}

void ParamRegister::setGridText(int col, int row, std::string text)
{
    if (col < 0 || col >= GridCols || row < 0 || row >= GridRows)
        throw std::out_of_range("StringGrid1 has no cell [" + IntToStr(col) + "," + IntToStr(row) + "]");
    grid_[size_t(col)][size_t(row)] = std::move(text);
}

void ParamRegister::gridKeyUp()
{
    runGuarded([&] { emit(Ctl::StringGrid1, ControlEvent::KeyUp); });
}

void ParamRegister::showAngleLabels()
{
    storeText(Ctl::Lbl_B, IntToStr(position(Ctl::TrB_thresh)) + " Grad");
    storeText(Ctl::Lbl_wiggle, IntToStr(position(Ctl::SB_wiggle)) + " Grad");
}

void ParamRegister::assign(std::string_view assignment)
{
    const size_t eq = assignment.find('=');
    if (eq == std::string_view::npos)
        throw std::invalid_argument("'" + std::string(assignment) + "' is not of the form NAME=TEXT");
    const std::string_view name = assignment.substr(0, eq);
    const std::string value(assignment.substr(eq + 1));

    if (name.starts_with("StringGrid1[") && name.ends_with("]")) {
        const std::string_view inner = name.substr(12, name.size() - 13);
        const size_t comma = inner.find(',');
        int32_t col = -1;
        int32_t row = -1;
        if (comma == std::string_view::npos || !TryStrToInt(inner.substr(0, comma), col)
            || !TryStrToInt(inner.substr(comma + 1), row) || col < 1 || col >= GridCols || row < 1
            || row >= GridRows)
            throw std::invalid_argument("'" + std::string(name) + "' names no editable cell of StringGrid1 (columns 1 to 5, rows 1 to 3)");
        setGridText(col, row, value);
        gridKeyUp();
        return;
    }

    const std::optional<Ctl> id = findControl(name);
    if (!id)
        throw std::invalid_argument("unknown control '" + std::string(name) + "'");
    switch (controlDef(*id).kind) {
    case ControlKind::Edit:
        setText(*id, value);
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        bool on = false;
        if (value == "1" || value == "true")
            on = true;
        else if (value == "0" || value == "false")
            on = false;
        else
            throw std::invalid_argument("'" + value + "' is not a valid state for " + std::string(name) + " (use 1 or 0)");
        setChecked(*id, on);
        break;
    }
    case ControlKind::ScrollBar:
    case ControlKind::UpDown:
        setPosition(*id, StrToInt(value));
        break;
    case ControlKind::ComboBox:
        setItemIndex(*id, StrToInt(value));
        break;
    case ControlKind::StringGrid:
    case ControlKind::Button:
    case ControlKind::Label:
        throw std::invalid_argument("control '" + std::string(name) + "' holds no value to set");
    }
}

} // namespace landuse
