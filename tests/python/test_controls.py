# Controls by name and text, refused the way the runner refuses them.
import pytest

import landuse
from conftest import run_program


def runner_message(landuse_run, assignment):
    done = run_program([landuse_run, "--steps", "1", "--set", assignment])
    assert done.returncode == 2
    prefix = "landuse-run: "
    assert done.stderr.startswith(prefix)
    return done.stderr[len(prefix):].rstrip("\n")


@pytest.mark.parametrize("name,text", [
    ("TrB_thresh", "999"),          # out of the scroll bar's range
    ("E_crAgs", "abc"),             # not a whole number
    ("CB_decay", "yes"),            # not a check state
    ("Edit_size", "11"),            # cell size beyond 2..10
    ("StringGrid1[5,1]", "x"),      # a weight that is not a number
    ("StringGrid1[0,0]", "1"),      # a cell that is no weight
    ("No_such_control", "1"),
])
def test_bad_text_raises_the_runners_message(landuse_run, sim, name, text):
    before = sim.settings()
    with pytest.raises(ValueError) as caught:
        sim.set(name, text)
    assert str(caught.value) == runner_message(landuse_run, f"{name}={text}")
    assert sim.settings() == before


def test_bad_keyword_in_the_constructor_raises_it_too(landuse_run):
    with pytest.raises(ValueError) as caught:
        landuse.Simulation(seed=1, TrB_thresh=999)
    assert str(caught.value) == runner_message(landuse_run, "TrB_thresh=999")


def test_set_and_get_by_the_texts_a_user_types(sim):
    sim.set("E_crAgs", "12")
    sim.set("CB_decay", False)
    sim.set("StringGrid1[5,1]", "0,25")
    assert sim.get("E_crAgs") == "12"
    assert sim.get("CB_decay") == "0"
    assert sim.get("StringGrid1[5,1]") == "0,25"
    assert "E_crAgs=12" in sim.settings()
    with pytest.raises(ValueError, match="unknown control 'E_nope'"):
        sim.get("E_nope")
    with pytest.raises(TypeError, match="E_incre"):
        sim.set("E_incre", 0.5)


def test_a_setting_takes_effect_at_setup():
    a = landuse.Simulation(seed=3)
    b = landuse.Simulation(seed=3)
    b.set("Edit_size", "5")
    assert b.shape == a.shape
    b.setup()
    assert b.shape != a.shape
    assert b.potential.shape[1:] == b.shape


def test_a_negative_step_count_is_refused(sim):
    with pytest.raises(ValueError, match="-1"):
        sim.step(-1)
    assert sim.step_count == 0
