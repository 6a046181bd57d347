# Simulations side by side in Python threads: each gives what it gives alone.
import threading

import numpy as np

import landuse


def run(seed, steps, out, key):
    sim = landuse.Simulation(seed=seed, E_crAgs="5")
    sim.step(steps)
    out[key] = (sim.statistics_csv(), sim.rank_size_csv(), sim.potential.copy(), sim.land_use.copy())


def test_two_threads_give_what_one_after_the_other_gives():
    alone, together = {}, {}
    for seed in (21, 22):
        run(seed, 220, alone, seed)
    threads = [threading.Thread(target=run, args=(seed, 220, together, seed)) for seed in (21, 22)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for seed in (21, 22):
        a, b = alone[seed], together[seed]
        assert a[0] == b[0] and a[1] == b[1]
        assert np.array_equal(a[2], b[2]) and np.array_equal(a[3], b[3])
    assert alone[21][0] != alone[22][0]


def test_one_simulation_stepped_from_two_threads_counts_every_step():
    sim = landuse.Simulation(seed=5)
    threads = [threading.Thread(target=sim.step, args=(60,)) for _ in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    one = landuse.Simulation(seed=5)
    one.step(120)
    assert sim.step_count == 120
    assert sim.statistics_csv() == one.statistics_csv()
