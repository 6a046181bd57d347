#pragma once
// The grid of cells with its geometry, the diffusion's scratch and the choice
// of machine code for the whole-grid passes: everything of a world that the
// field and track passes work on.

#include "model/cell.h"
#include "model/diffusion.h"
#include "model/geometry.h"

#include <optional>
#include <string_view>

namespace landuse {

// Which machine code the whole-grid passes (field diffusion and rescaling,
// track rescaling) run: AVX-512 where the processor has it (Best), or the
// code for any x86-64 processor. Both give the same bits.
enum class GridKernels { Best, Portable, Avx512 };

// "best", "portable" or "avx512", as runners and benchmarks take the choice.
std::optional<GridKernels> ParseGridKernels(std::string_view name);

// Whether this processor can run the code of a kernel choice.
bool GridKernelsAvailable(GridKernels kernels);

struct Grid {
    GridKernels Kernels = GridKernels::Best;
    GridGeometry Geometry;
    TCellList Cells;
    TLimbo Limbo;
};

} // namespace landuse
