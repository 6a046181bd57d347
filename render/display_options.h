#pragma once
// How the world is drawn, as the painter is told it: the display check boxes
// and the field shown, as values. Whoever owns the controls makes them and
// hands them on when they change.

#include "model/range_scan.h"

#include <cstdint>

namespace landuse {

// Which value a shaded cell shows.
enum class ShadeSource { Track = 0, ReturnTrack = 1, Potential = 2 };

struct DisplayOptions {
    bool noTracks = false;    // "all cells white"
    bool showOrig = false;    // "show no tracks"
    bool showAB = false;      // "show only return tracks"
    bool potField = false;    // "show potential field nr."
    bool hideLandUse = false; // "show no destinations"
    // The potential view's field, the drop-down's item as it stands; one
    // that names no field (0..2) keeps the field shown last.
    int32_t field = 0;

    ShadeSource source() const
    {
        return potField ? ShadeSource::Potential : showAB ? ShadeSource::ReturnTrack : ShadeSource::Track;
    }
    bool namesField() const { return field >= 0 && field <= 2; }
    // The cell word (model/range_scan.h) whose bounds over the empty cells
    // the shade range takes; -1 when the potential view names no field.
    int shadeWord() const
    {
        switch (source()) {
        case ShadeSource::Track:
            return TrackWord;
        case ShadeSource::ReturnTrack:
            return ReturnTrackWord;
        case ShadeSource::Potential:
            break;
        }
        return namesField() ? field : -1;
    }

    friend bool operator==(const DisplayOptions&, const DisplayOptions&) = default;
};

} // namespace landuse
