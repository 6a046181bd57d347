"""A progress bar where one can be seen: tqdm's where installed (it draws in
a terminal and in a notebook), else a line on standard error."""

import sys
import time


class _LineBar:
    def __init__(self, total, unit):
        self.total, self.unit, self.done = total, unit, 0
        self.start = self.shown = time.monotonic()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self._show()
        sys.stderr.write("\n")
        sys.stderr.flush()

    def update(self, n):
        self.done += n
        if time.monotonic() - self.shown >= (0.25 if sys.stderr.isatty() else 10):
            self._show()

    def _show(self):
        self.shown = time.monotonic()
        rate = self.done / max(self.shown - self.start, 1e-9)
        end = "\r" if sys.stderr.isatty() else "\n"
        sys.stderr.write(f"{self.done}/{self.total} {self.unit}, {rate:.0f} {self.unit}/s{end}")
        sys.stderr.flush()


def progress_bar(total, unit):
    try:
        from tqdm.auto import tqdm
    except ImportError:
        return _LineBar(total, unit)
    return tqdm(total=total, unit=unit)
