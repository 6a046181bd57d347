# Batch experiments through landuse.batch: the command's own files, read back.
import pandas
import pytest

import landuse.batch

SWEEP = {"RB_serv": "1", "E_valTo2": "2", "E_incre": "1", "E_toSteps2": "110"}


def test_run_then_read_the_tables(landuse_batch, tmp_path, monkeypatch):
    monkeypatch.setenv("LANDUSE_BATCH", landuse_batch)
    out = tmp_path / "sweep"
    runs = landuse.batch.run("analysis2", out, settings=SWEEP, seed=3, jobs=2, progress=False)
    assert runs["run"].tolist() == [0, 1, 2]
    assert runs["NoiseServ"].tolist() == [0, 1, 2]
    assert (runs["step"] == 110).all()
    assert runs["slope"].notna().all()

    again, stats = landuse.batch.read(out, stats=True)
    pandas.testing.assert_frame_equal(again, runs)
    assert list(stats.columns[:2]) == ["run", "step"]
    assert stats.groupby("run").size().tolist() == [110, 110, 110]
    # The last row of each run's series is the table's end of that run.
    last = stats.groupby("run").tail(1).set_index("run")
    for column in ("agents", "successful", "travel_time", "migrated", "returning"):
        assert last[column].tolist() == runs[column].tolist()

    # The same command again finds every run complete and gives the same table.
    pandas.testing.assert_frame_equal(landuse.batch.run("analysis2", out, settings=SWEEP, seed=3,
                                                        progress=False), runs)


def test_refusals_carry_the_batch_message(landuse_batch, tmp_path, monkeypatch):
    monkeypatch.setenv("LANDUSE_BATCH", landuse_batch)
    with pytest.raises(RuntimeError, match="TrB_thresh"):
        landuse.batch.run("analysis2", tmp_path / "bad", settings=["TrB_thresh=999"], progress=False)
    with pytest.raises(FileNotFoundError, match="runs.csv"):
        landuse.batch.read(tmp_path)
