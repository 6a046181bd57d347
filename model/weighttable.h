#pragma once
// The 15 reals of the weight grid StringGrid1: per potential field a
// diffusion coefficient, three emission weights and a noise amplitude.

#include "model/register.h"

namespace landuse {

struct TWeightTable {
    double DiffPop = 0, DiffServ = 0, DiffIndu = 0;
    double WPopPop = 0, WPopServ = 0, WPopIndu = 0;
    double WServPop = 0, WServServ = 0, WServIndu = 0;
    double WInduPop = 0, WInduServ = 0, WInduIndu = 0;
    double NoisePop = 0, NoiseServ = 0, NoiseIndu = 0;

    // Field f: 0 population, 1 service, 2 industry.
    double diff(int f) const { return f == 0 ? DiffPop : f == 1 ? DiffServ : DiffIndu; }
    double noise(int f) const { return f == 0 ? NoisePop : f == 1 ? NoiseServ : NoiseIndu; }
};

// Parses the 15 editable cells in the fixed order (diffusion column top to
// bottom, weight rows left to right, noise column top to bottom), storing
// each value at once. Throws ConvertError at the first cell that does not
// parse; the weights before it keep their new values.
void ReadWeightTable(const ParamRegister& reg, TWeightTable& table);

// Writes the headers and default texts into the grid, then reads it.
void ResetWeightTable(ParamRegister& reg, TWeightTable& table);

} // namespace landuse
