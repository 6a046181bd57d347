#include "model/weighttable.h"

#include "model/numtext.h"

namespace landuse {

void ReadWeightTable(const ParamRegister& reg, TWeightTable& t)
{
    struct Slot {
        int col, row;
        double TWeightTable::*weight;
    };
    static constexpr Slot order[] = {
        {1, 1, &TWeightTable::DiffPop},   {1, 2, &TWeightTable::DiffServ},  {1, 3, &TWeightTable::DiffIndu},
        {2, 1, &TWeightTable::WPopPop},   {3, 1, &TWeightTable::WPopServ},  {4, 1, &TWeightTable::WPopIndu},
        {2, 2, &TWeightTable::WServPop},  {3, 2, &TWeightTable::WServServ}, {4, 2, &TWeightTable::WServIndu},
        {2, 3, &TWeightTable::WInduPop},  {3, 3, &TWeightTable::WInduServ}, {4, 3, &TWeightTable::WInduIndu},
        {5, 1, &TWeightTable::NoisePop},  {5, 2, &TWeightTable::NoiseServ}, {5, 3, &TWeightTable::NoiseIndu},
    };
    for (const Slot& s : order)
        t.*s.weight = StrToFloat(reg.gridText(s.col, s.row));
}

void ResetWeightTable(ParamRegister& reg, TWeightTable& table)
{
    static constexpr const char* header[GridCols] = {"usage", "diff. c.", "w. pop.", "w. serv.", "w. ind.", "noise"};
    static constexpr const char* rowLabels[] = {"populat.", "service", "industry"};
    static constexpr const char* values[3][4] = {
        {"1,0", "0,5", "0,0", "6,0"},
        {"0,5", "1,0", "0", "5,0"},
        {"0,5", "0", "1,0", "4,8"},
    };
    for (int c = 0; c < GridCols; ++c)
        reg.setGridText(c, 0, header[c]);
    for (int r = 1; r <= 3; ++r)
        reg.setGridText(0, r, rowLabels[r - 1]);
    for (int r = 1; r <= 3; ++r)
        reg.setGridText(1, r, "1");
    for (int r = 1; r <= 3; ++r)
        for (int c = 2; c <= 5; ++c)
            reg.setGridText(c, r, values[r - 1][c - 2]);
    ReadWeightTable(reg, table);
}

} // namespace landuse
