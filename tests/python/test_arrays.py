# The cells as arrays: shapes and types of the grid, views that follow the
# world, and stay sound when a new world replaces it.
import matplotlib.image
import numpy as np
import pytest

import landuse
from conftest import run_program

CODES = {landuse.EMPTY, landuse.BARRIER, landuse.RESIDENTIAL, landuse.DESTINATION, landuse.SERVICE,
         landuse.INDUSTRY}


def test_shapes_and_types_follow_the_grid(sim):
    rows, cols = sim.shape
    assert rows > 0 and cols > 0
    assert sim.potential.shape == (3, rows, cols) and sim.potential.dtype == np.float64
    assert sim.tracks.shape == (2, rows, cols) and sim.tracks.dtype == np.float64
    assert sim.land_use.shape == (rows, cols) and sim.land_use.dtype == np.int32
    agents = sim.agents
    assert agents.dtype.names == ("PosX", "PosY", "HomeX", "HomeY", "State", "TripSteps", "Migrated",
                                  "Successful")
    picture = sim.picture()
    assert picture.dtype == np.uint8 and picture.ndim == 3 and picture.shape[2] == 3


def test_arrays_change_with_a_step_and_stay_in_range(sim):
    potential, tracks, land_use = sim.potential, sim.tracks, sim.land_use
    before = potential.copy(), tracks.copy(), land_use.copy(), sim.agents
    sim.step(30)
    # The same views show the new state: no copy was taken.
    assert not np.array_equal(potential, before[0])
    assert not np.array_equal(tracks, before[1])
    assert not np.array_equal(land_use, before[2])
    assert np.array_equal(potential, sim.potential)
    assert potential.min() >= 0 and potential.max() <= 10
    assert set(np.unique(land_use)) <= CODES

    agents = sim.agents
    assert len(agents) == sim.statistics()["agents"][-1] > len(before[3])
    rows, cols = sim.shape
    assert (agents["PosX"] >= 0).all() and (agents["PosX"] < cols).all()
    assert (agents["PosY"] >= 0).all() and (agents["PosY"] < rows).all()
    # A home is a residential cell.
    homes = land_use[agents["HomeY"], agents["HomeX"]]
    assert (homes == landuse.RESIDENTIAL).all()
    assert set(np.unique(agents["State"])) <= {0, 1}


def test_views_are_read_only(sim):
    for view in (sim.potential, sim.tracks, sim.land_use):
        with pytest.raises(ValueError):
            view[0, 0] = 1


def test_views_keep_the_old_world_after_setup(sim):
    sim.step(20)
    old = sim.potential
    kept = old.copy()
    sim.setup()
    sim.step(5)
    # Still readable and unchanged; the new world has its own memory.
    assert np.array_equal(old, kept)
    assert not np.array_equal(sim.potential, kept)
    del sim
    assert np.array_equal(old, kept)


def test_picture_is_the_runners_and_drawing_changes_nothing(landuse_run, tmp_path):
    jpeg = tmp_path / "world.jpg"
    done = run_program([landuse_run, "--steps", "40", "--seed", "11", "--set", "CB_showAg=1", "--picture", str(jpeg)])
    assert done.returncode == 0, done.stderr
    drawn = landuse.Simulation(seed=11, CB_showAg=1)
    first = drawn.picture()
    drawn.step(40)
    picture = drawn.picture()
    assert not np.array_equal(first, picture)
    # The runner's picture is a JPEG of quality 100: the same up to its loss.
    runner = matplotlib.image.imread(jpeg)
    assert runner.shape == picture.shape
    assert np.abs(runner.astype(int) - picture.astype(int)).mean() < 2
    # Residential cells are drawn green somewhere in the picture.
    green = (picture[..., 1] > 150) & (picture[..., 0] < 80) & (picture[..., 2] < 80)
    assert green.any()

    plain = landuse.Simulation(seed=11, draw=False, CB_showAg=1)
    plain.step(40)
    assert plain.statistics_csv() == drawn.statistics_csv()
    assert np.array_equal(plain.potential, drawn.potential)
    assert np.array_equal(plain.land_use, drawn.land_use)
    with pytest.raises(RuntimeError, match="draw=False"):
        plain.picture()
