#include "model/grid.h"

#include "model/grid_kernels.h"

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

bool GridKernelsAvailable(GridKernels kernels)
{
    return kernels != GridKernels::Avx512 || Avx512GridKernels() != nullptr;
}

} // namespace landuse
