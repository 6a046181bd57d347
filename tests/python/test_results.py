# The module's results against the runner's files for the same seed and
# settings: byte for byte, and the tables' numbers with them.
import math

import numpy as np

import landuse
from conftest import SEED, SETTINGS, run_program


def runner_files(landuse_run, tmp_path, steps):
    stats, ranksize = tmp_path / "stats.csv", tmp_path / "ranksize.csv"
    args = [landuse_run, "--steps", str(steps), "--seed", str(SEED), "--stats", str(stats), "--ranksize", str(ranksize)]
    for name, text in SETTINGS.items():
        args += ["--set", f"{name}={text}"]
    done = run_program(args)
    assert done.returncode == 0, done.stderr
    return stats.read_bytes(), ranksize.read_bytes()


def test_same_files_as_the_runner_in_one_call_and_in_pieces(landuse_run, tmp_path):
    stats, ranksize = runner_files(landuse_run, tmp_path, 250)
    whole = landuse.Simulation(seed=SEED, **SETTINGS)
    whole.step(250)
    pieces = landuse.Simulation(seed=SEED, **SETTINGS)
    for n in (1, 99, 0, 150):
        pieces.step(n)
    for sim in (whole, pieces):
        assert sim.step_count == 250
        assert sim.statistics_csv().encode() == stats
        assert sim.rank_size_csv().encode() == ranksize


def test_tables_hold_the_files_numbers(landuse_run, tmp_path):
    stats, ranksize = runner_files(landuse_run, tmp_path, 250)
    sim = landuse.Simulation(seed=SEED, **SETTINGS)
    sim.run(250)

    table = sim.statistics()
    rows = [line.split(",") for line in stats.decode().splitlines()]
    assert list(table) == rows[0]
    for i, name in enumerate(rows[0]):
        assert table[name].dtype == np.int64
        assert table[name].tolist() == [int(r[i]) for r in rows[1:]]

    frame = sim.statistics(as_frame=True)
    assert list(frame.columns) == rows[0] and len(frame) == 250

    fits = sim.rank_size(as_frame=True)
    lines = [line.split(",") for line in ranksize.decode().splitlines()]
    assert list(fits.columns) == lines[0]
    assert fits["time"].tolist() == [100, 200]
    for i, name in enumerate(lines[0][1:], start=1):
        for value, text in zip(fits[name], (r[i] for r in lines[1:])):
            assert math.isnan(value) if text == "" else value == float(text)


def test_setup_starts_the_tables_again(sim):
    sim.step(120)
    sim.setup()
    assert sim.step_count == 0
    assert len(sim.statistics()["step"]) == 0
    assert len(sim.rank_size()["time"]) == 0
    sim.step(3)
    assert sim.statistics()["step"].tolist() == [1, 2, 3]
