#pragma once
// The display options as the window's controls set them.

#include "model/register.h"
#include "render/display_options.h"

namespace landuse {

DisplayOptions DisplayOptionsOf(const ParamRegister& reg);

} // namespace landuse
