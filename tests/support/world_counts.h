#pragma once

#include "agents/world.h"

namespace landuse::test {

inline int countLandUse(const World& w, int code)
{
    int n = 0;
    for (size_t i = 0; i < w.Cells.size(); ++i)
        n += w.Cells.data()[i].LandUse == code;
    return n;
}

} // namespace landuse::test
