#include "sim/display_controls.h"

namespace landuse {

DisplayOptions DisplayOptionsOf(const ParamRegister& reg)
{
    DisplayOptions options;
    options.noTracks = reg.checked(Ctl::CB_noTracks);
    options.showOrig = reg.checked(Ctl::CB_showOrig);
    options.showAB = reg.checked(Ctl::CB_showAB);
    options.potField = reg.checked(Ctl::CB_potField);
    options.hideLandUse = reg.checked(Ctl::cb_noDesti);
    options.field = reg.itemIndex(Ctl::CB_FieldNr);
    return options;
}

} // namespace landuse
