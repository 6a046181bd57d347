#include "model/grid.h"

namespace landuse {

std::optional<GridKernels> ParseGridKernels(std::string_view name)
{
    if (name == "best")
        return GridKernels::Best;
    if (name == "portable")
        return GridKernels::Portable;
    if (name == "avx512")
        return GridKernels::Avx512;
    return std::nullopt;
}

} // namespace landuse
