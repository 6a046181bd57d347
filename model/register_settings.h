#pragma once
// A register's settings as the "NAME=TEXT" lines that ParamRegister::assign
// takes back: every control a user can set, then the editable cells of the
// weight grid as "StringGrid1[c,r]=TEXT".

#include "model/register.h"

#include <string>
#include <vector>

namespace landuse {

std::vector<std::string> SettingsOf(const ParamRegister& reg);

// The lines of `settings` that `defaults` does not hold, in their order.
std::vector<std::string> ChangedSettings(const std::vector<std::string>& settings,
                                         const std::vector<std::string>& defaults);

} // namespace landuse
