"""The Python module against the runner, on one machine, taking turns:

  - 800 steps through Simulation.step(800) against `landuse-run --steps 800`
    (its own timing of the steps, from its summary line), without drawing
    and with it (`--picture`);
  - reading `potential` after every step, against stepping alone.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--rounds N] [--seed S]

Prints the medians over the rounds and their ratios.
"""

import argparse
import os
import re
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

import landuse

parser = argparse.ArgumentParser()
parser.add_argument("--rounds", type=int, default=7)
parser.add_argument("--seed", type=int, default=7)
parser.add_argument("--steps", type=int, default=800)
parser.add_argument("--runner", default=os.environ.get("LANDUSE_RUN",
                                                       str(Path(__file__).resolve().parent.parent
                                                           / "build" / "app" / "landuse-run")))
args = parser.parse_args()


def runner(picture=None):
    extra = ["--picture", picture] if picture else []
    done = subprocess.run([args.runner, "--steps", str(args.steps), "--seed", str(args.seed), *extra],
                          capture_output=True, text=True, check=True)
    return float(re.search(r" in ([0-9.]+) s ", done.stdout).group(1))


def module_whole(draw=False):
    sim = landuse.Simulation(seed=args.seed, draw=draw)
    start = time.perf_counter()
    sim.step(args.steps)
    return time.perf_counter() - start


def module_single():
    sim = landuse.Simulation(seed=args.seed, draw=False)
    start = time.perf_counter()
    for _ in range(args.steps):
        sim.step()
    return time.perf_counter() - start


def module_reading(touch):
    sim = landuse.Simulation(seed=args.seed, draw=False)
    total = 0.0
    start = time.perf_counter()
    for _ in range(args.steps):
        sim.step()
        p = sim.potential
        if touch:
            total += p[0].sum()  # every cell of one field, through the view
    return time.perf_counter() - start


picture = os.path.join(tempfile.mkdtemp(), "world.jpg")
cases = {
    "landuse-run --steps": runner,
    "step(N), draw=False": module_whole,
    "landuse-run --picture": lambda: runner(picture),
    "step(N), drawing": lambda: module_whole(True),
    "step() N times": module_single,
    "step() + potential": lambda: module_reading(False),
    "step() + potential[0].sum()": lambda: module_reading(True),
}
times = {name: [] for name in cases}
for _ in range(args.rounds):
    for name, case in cases.items():  # taking turns, so a busy spell hits all alike
        times[name].append(case())

median = {name: statistics.median(t) for name, t in times.items()}
print(f"{args.steps} steps, seed {args.seed}, median of {args.rounds} rounds")
for name, t in median.items():
    print(f"  {name:30s} {t:8.3f} s   ({min(times[name]):.3f} .. {max(times[name]):.3f})")
print(f"step(N), draw=False / landuse-run:     "
      f"{median['step(N), draw=False'] / median['landuse-run --steps']:.3f}")
print(f"step(N), drawing / landuse-run --picture: "
      f"{median['step(N), drawing'] / median['landuse-run --picture']:.3f}")
print(f"reading potential, per step:           "
      f"{(median['step() + potential'] / median['step() N times'] - 1) * 100:+.2f} %")
print(f"reading and summing one field, per step: "
      f"{(median['step() + potential[0].sum()'] / median['step() N times'] - 1) * 100:+.2f} %")
