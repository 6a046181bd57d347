# The examples run as a user runs them, with the system's Python, and draw
# their pictures.
import os
import subprocess
import sys

import matplotlib.image
import pytest


def run_example(repo, name, *args):
    env = dict(os.environ, MPLBACKEND="Agg")
    done = subprocess.run([sys.executable, str(repo / "examples" / "python" / name), *map(str, args)],
                          capture_output=True, text=True, env=env, timeout=600)
    assert done.returncode == 0, done.stderr
    return done


def picture(path):
    image = matplotlib.image.imread(path)
    assert image.ndim == 3 and image.shape[0] > 200 and image.shape[1] > 200
    # Not a blank canvas.
    assert image[..., :3].std() > 0.05
    return image


def test_seeded_world_draws_statistics_and_the_field(repo, tmp_path):
    run_example(repo, "seeded_world.py", tmp_path)
    picture(tmp_path / "statistics.png")
    picture(tmp_path / "population.png")


def test_noise_sweep_runs_a_batch_and_plots_the_slope(repo, tmp_path, landuse_batch, monkeypatch):
    monkeypatch.setenv("LANDUSE_BATCH", landuse_batch)
    out = tmp_path / "sweep"
    run_example(repo, "noise_sweep.py", out)
    assert (out / "runs.csv").is_file()
    picture(out / "slope-vs-noise.png")
