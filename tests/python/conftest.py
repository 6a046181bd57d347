import os
import subprocess
from pathlib import Path

import pytest

import landuse

# Settings that differ from the defaults, so that a setting the module lost
# on the way would show.
SETTINGS = {"E_crAgs": "5", "CB_decay": "1"}
SEED = 7


def program(variable):
    path = os.environ.get(variable)
    if not path:
        pytest.skip(f"{variable} is not set (ctest sets it)")
    return path


@pytest.fixture(scope="session")
def landuse_run():
    return program("LANDUSE_RUN")


@pytest.fixture(scope="session")
def landuse_batch():
    return program("LANDUSE_BATCH")


def run_program(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


@pytest.fixture
def sim():
    return landuse.Simulation(seed=SEED, **SETTINGS)


@pytest.fixture(scope="session")
def repo():
    return Path(__file__).resolve().parents[2]
