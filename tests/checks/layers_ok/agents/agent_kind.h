// Sample for the layer check: an agents/ header included beside its includer.
