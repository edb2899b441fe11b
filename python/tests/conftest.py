import csv
import os
import subprocess

import numpy as np
import pytest

import vantor

EXAMPLES = os.path.join(vantor._core._data_dir(), "examples")


@pytest.fixture
def cli():
    """Runs vantor-cli with the given words; skips when it was not built."""
    path = os.environ.get("VANTOR_CLI", "")
    if not path or not os.path.exists(path):
        pytest.skip("vantor-cli was not built (no Qt)")

    def run(*words, check=True):
        done = subprocess.run([path, *words], capture_output=True, text=True, timeout=60)
        if check and done.returncode != 0:
            raise AssertionError(f"vantor-cli {' '.join(words)}: {done.returncode}\n{done.stderr}")
        return done
    return run


def read_csv(path):
    """Header and rows of a CSV file; the numbers are the floats the text gives back."""
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    return rows[0], [[float(np.float32(x)) for x in row] for row in rows[1:]]


def spike_times(t, v, threshold=0.0):
    """Upward crossings of the threshold, interpolated as the program does."""
    times = []
    for i in range(1, len(v)):
        if v[i - 1] < threshold <= v[i]:
            times.append(t[i - 1] + (threshold - v[i - 1]) * (t[i] - t[i - 1]) / (v[i] - v[i - 1]))
    return times
