#include "model/register_settings.h"

#include "model/numtext.h"

#include <algorithm>

namespace landuse {

std::vector<std::string> SettingsOf(const ParamRegister& reg)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < ControlCount; ++i) {
        const Ctl id = Ctl(i);
        const ControlDef& def = ControlDefOf(id);
        std::string line = def.name;
        line += '=';
        switch (def.kind) {
        case ControlKind::Edit:
            line += reg.text(id);
            break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            line += reg.checked(id) ? '1' : '0';
            break;
        case ControlKind::ScrollBar:
        case ControlKind::UpDown:
            line += IntToStr(reg.position(id));
            break;
        case ControlKind::ComboBox:
            line += IntToStr(reg.itemIndex(id));
            break;
        case ControlKind::StringGrid:
        case ControlKind::Button:
        case ControlKind::Label:
            continue;
        }
        lines.push_back(std::move(line));
    }
    for (int row = 1; row < GridRows; ++row)
        for (int col = 1; col < GridCols; ++col)
            lines.push_back("StringGrid1[" + IntToStr(col) + "," + IntToStr(row) + "]=" + reg.gridText(col, row));
    return lines;
}

std::vector<std::string> ChangedSettings(const std::vector<std::string>& settings,
                                         const std::vector<std::string>& defaults)
{
    std::vector<std::string> changed;
    for (const std::string& line : settings)
        if (std::find(defaults.begin(), defaults.end(), line) == defaults.end())
            changed.push_back(line);
    return changed;
}

} // namespace landuse
