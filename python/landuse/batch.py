"""Batch experiments from Python: read what ``landuse-batch`` wrote, or start
it with the same options.

    runs = landuse.batch.read("out/service-noise")            # runs.csv
    runs, stats = landuse.batch.read("out/service-noise", stats=True)
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

__all__ = ["read", "run", "executable"]


def _pandas():
    try:
        import pandas
    except ImportError as e:
        raise ImportError("landuse.batch needs pandas (Debian: python3-pandas)") from e
    return pandas


def read(out_dir, stats=False):
    """OUT_DIR/runs.csv as a DataFrame: run, seed, the varied parameters,
    the final step, agents, the statistics at the end and the last rank-size
    fit. With stats=True, also every listed run's stats.csv in one DataFrame
    (a `run` column first), as the pair (runs, stats)."""
    pandas = _pandas()
    out_dir = Path(out_dir)
    table = out_dir / "runs.csv"
    if not table.is_file():
        raise FileNotFoundError(f"'{table}' does not exist: no batch has finished a run in '{out_dir}'")
    runs = pandas.read_csv(table)
    if not stats:
        return runs
    frames = []
    for number in runs["run"]:
        frame = pandas.read_csv(out_dir / "runs" / f"{int(number):06d}" / "stats.csv")
        frame.insert(0, "run", int(number))
        frames.append(frame)
    columns = ["run", "step", "agents", "successful", "travel_time", "migrated", "returning"]
    series = pandas.concat(frames, ignore_index=True) if frames else pandas.DataFrame(columns=columns)
    return runs, series


def executable():
    """landuse-batch: $LANDUSE_BATCH, else the one built beside this package,
    else the one on PATH."""
    if os.environ.get("LANDUSE_BATCH"):
        return os.environ["LANDUSE_BATCH"]
    built = Path(__file__).resolve().parent.parent.parent / "app" / "landuse-batch"
    if built.is_file():
        return str(built)
    found = shutil.which("landuse-batch")
    if not found:
        raise FileNotFoundError("landuse-batch is neither in $LANDUSE_BATCH, beside this package nor on PATH")
    return found


def run(sweep, out_dir, settings=None, params=None, runs=None, seed=None, jobs=None, shard=None,
        kernels=None, progress=True):
    """Runs ``landuse-batch SWEEP OUT_DIR`` with the same options (settings:
    a dict NAME -> TEXT or a list of "NAME=TEXT", applied in order) and
    returns read(out_dir). Its progress goes to standard error while it runs;
    a failure raises RuntimeError with the batch's own message."""
    command = [executable(), sweep, str(out_dir)]
    if isinstance(settings, dict):
        settings = [f"{name}={text}" for name, text in settings.items()]
    for assignment in settings or []:
        command += ["--set", assignment]
    for option, value in (("--params", params), ("--runs", runs), ("--seed", seed), ("-j", jobs),
                          ("--shard", shard), ("--kernels", kernels)):
        if value is not None:
            command += [option, str(value)]
    # A terminal gets the batch's own live bar; elsewhere (a notebook, a
    # log) its lines are passed on as they come.
    if progress and sys.stderr.isatty():
        result = subprocess.run(command, stderr=None, stdout=subprocess.DEVNULL)
        message = ""
    else:
        lines = []
        with subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True) as child:
            for line in child.stderr:
                lines.append(line)
                if progress:
                    sys.stderr.write(line)
                    sys.stderr.flush()
        result = child
        message = "".join(lines).strip().splitlines()[-1] if lines else ""
    if result.returncode != 0:
        raise RuntimeError(message or f"landuse-batch ended with status {result.returncode}")
    return read(out_dir)
