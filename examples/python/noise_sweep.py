"""The rank-size slope against the swept noise of one land use, from a batch's
runs.csv. Without runs.csv in OUT_DIR, runs a small analysis-2 sweep of the
service noise there first (landuse-batch, seven runs of 300 steps).

    /usr/bin/python3 examples/python/noise_sweep.py OUT_DIR

Needs the module on the path: PYTHONPATH=build/python after a build.
"""

import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt

import landuse.batch

out = Path(sys.argv[1] if len(sys.argv) > 1 else "noise-sweep")
if not (out / "runs.csv").exists():
    landuse.batch.run("analysis2", out, seed=7, jobs=2,
                      settings={"RB_serv": "1", "E_valTo2": "6", "E_incre": "1", "E_toSteps2": "300"})
runs = landuse.batch.read(out)

noise = [c for c in runs.columns if c.startswith("Noise")]
if len(noise) != 1:
    sys.exit(f"{out / 'runs.csv'} holds no single swept noise (columns: {', '.join(runs.columns)})")
noise = noise[0]

fig, ax = plt.subplots(figsize=(6, 4))
ax.plot(runs[noise], runs["slope"], "o-")
ax.set_xlabel(noise)
ax.set_ylabel("rank-size slope at the end")
ax.set_title(f"{len(runs)} runs, {runs['step'].max()} steps each")
ax.grid(alpha=0.3)
fig.tight_layout()
fig.savefig(out / "slope-vs-noise.png", dpi=100)
print(f"wrote {out / 'slope-vs-noise.png'}")
