"""A seeded world for 800 steps, with migration: the four statistics of the window's chart and
the population field with the land use over it, as PNG files.

    /usr/bin/python3 examples/python/seeded_world.py [OUT_DIR]

Needs the module on the path: PYTHONPATH=build/python after a build.
"""

import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
from matplotlib.colors import ListedColormap

import landuse

out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
out.mkdir(parents=True, exist_ok=True)

sim = landuse.Simulation(seed=7, CB_migrate=1)  # agents may move their homes
sim.run(800, progress=True)
stats = sim.statistics(as_frame=True)

fig, axes = plt.subplots(2, 2, figsize=(9, 6), sharex=True)
for ax, (column, title) in zip(axes.flat, [("successful", "successful agents (%)"),
                                           ("migrated", "migrated agents (%)"),
                                           ("returning", "returning agents (%)"),
                                           ("travel_time", "100 x mean trip length")]):
    ax.plot(stats["step"], stats[column], lw=1)
    ax.set_title(title)
    ax.grid(alpha=0.3)
for ax in axes[1]:
    ax.set_xlabel("step")
fig.suptitle(f"seed {sim.seed}, {stats['agents'].iloc[-1]} agents after {sim.step_count} steps")
fig.tight_layout()
fig.savefig(out / "statistics.png", dpi=100)

# The population field, with the settled cells in the window's colours.
fig, ax = plt.subplots(figsize=(6.5, 5.5))
field = ax.imshow(sim.potential[0], cmap="Greys", interpolation="nearest")
fig.colorbar(field, ax=ax, label="population potential (0..10)")
colours = {landuse.RESIDENTIAL: "#00a000", landuse.SERVICE: "#e00000", landuse.INDUSTRY: "#0000e0",
           landuse.DESTINATION: "#00ff00", landuse.BARRIER: "#000080"}
codes = sorted(colours)
index = np.full(sim.land_use.shape, np.nan)
for i, code in enumerate(codes):
    index[sim.land_use == code] = i
ax.imshow(index, cmap=ListedColormap([colours[c] for c in codes]), vmin=-0.5, vmax=len(codes) - 0.5,
          interpolation="nearest")
ax.set_title(f"population field and land use, step {sim.step_count}")
ax.set_xlabel("column")
ax.set_ylabel("row")
fig.tight_layout()
fig.savefig(out / "population.png", dpi=100)
print(f"wrote {out / 'statistics.png'} and {out / 'population.png'}")
