"""The land-use model from Python, on the same core as the programs.

    import landuse
    sim = landuse.Simulation(seed=7, E_crAgs="5")
    sim.run(800, progress=True)
    sim.potential          # (3, rows, columns) float64, a view of the cells
    sim.statistics(as_frame=True)

Controls are set by name with the texts a user types, as with
``landuse-run --set NAME=TEXT``; a bad one raises ValueError with the
runner's message.
"""

from . import _core
from ._core import BARRIER, DESTINATION, EMPTY, INDUSTRY, RESIDENTIAL, SERVICE
from ._progress import progress_bar

__all__ = ["Simulation", "EMPTY", "BARRIER", "RESIDENTIAL", "DESTINATION", "SERVICE", "INDUSTRY"]


def _control_text(name, value):
    # True/False and whole numbers are unambiguous; a float is not (the
    # window's texts take a decimal comma), so it has to come as text.
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, str):
        return value
    raise TypeError(f"{name}: give the text a user types (a str such as '0,5'), not {type(value).__name__}")


class Simulation(_core.Simulation):
    """One run of the model.

    Simulation(seed=None, draw=True, **controls) starts as ``landuse-run`` does: the
    window's first world, then the controls in the order given, then
    "new Setup". The same seed and controls give the same run as
    ``landuse-run --seed SEED --set NAME=TEXT ...``.

    Arrays: ``potential`` (3, rows, columns) float64, ``tracks`` (2, rows,
    columns) float64 (ordinary, then return marks) and ``land_use`` (rows,
    columns) int32 are read-only views of the cells, no copy: they follow the
    world as it steps, and keep showing the old world after ``setup()``.
    ``agents`` (a structured array) and ``picture()`` are copies, made at
    each call.

    With draw=True (the default) the world is drawn as the window draws it,
    from the first setup on, and ``picture()`` gives the panel's pixels
    (height, width, 3) uint8; draw=False skips drawing, a few per cent of a
    step, and has no picture. Drawing changes nothing of the run.
    """

    def __init__(self, seed=None, draw=True, **controls):
        super().__init__(seed, draw)
        for name, value in controls.items():
            self.set(name, value)
        self.setup()

    def set(self, name, text):
        """Sets a control as ``landuse-run --set NAME=TEXT`` does; ValueError
        with the runner's message when the text is refused."""
        super().set(name, _control_text(name, text))

    def run(self, steps, progress=False):
        """Runs `steps` steps; with progress=True shows a bar (tqdm's where
        installed, else a line on standard error)."""
        if not progress:
            self.step(steps)
            return self
        # Chunks of about a hundredth of the run, so the bar moves and the
        # cost of reporting stays out of the way.
        chunk = max(1, min(100, steps // 100))
        with progress_bar(steps, "steps") as bar:
            done = 0
            while done < steps:
                n = min(chunk, steps - done)
                self.step(n)
                done += n
                bar.update(n)
        return self

    def statistics(self, as_frame=False):
        """Every step's figures since the last setup, as ``landuse-run
        --stats`` writes them: step, agents, successful, travel_time,
        migrated, returning. A dict of numpy arrays, or a pandas DataFrame."""
        columns = self._statistics()
        return _frame(columns) if as_frame else columns

    def rank_size(self, as_frame=False):
        """Every rank-size measure since the last setup (each 100th step), as
        ``landuse-run --ranksize`` writes them: time, intercept_K,
        correlation_r, slope, avg_diff (NaN where there is no fit yet)."""
        columns = self._rank_size()
        return _frame(columns) if as_frame else columns


def _frame(columns):
    try:
        import pandas
    except ImportError as e:
        raise ImportError("as_frame=True needs pandas (Debian: python3-pandas)") from e
    return pandas.DataFrame(columns)
