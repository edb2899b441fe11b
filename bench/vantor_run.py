#!/usr/bin/env python3
"""The default run through the engine alone and through vantor.run.

    PYTHONPATH=build/python python3 bench/vantor_run.py [pairs]

Times single runs taken in turn (engine with its samples discarded, then
vantor.run with the samples recorded into NumPy arrays, spikes and
measures), so that a busy moment of the machine hits both alike, and
prints the fastest and the median of each and their difference.
"""
import statistics
import sys
import time

import vantor
from vantor import _core

pairs = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
params = vantor.Parameters()
gates = vantor.GateTable()
samples = len(vantor.run(params, gates=gates).t)  # also warms up

engine, python = [], []
for _ in range(pairs):
    engine.append(_core._time_engine(params, gates, 1))
    start = time.perf_counter()
    vantor.run(params, gates=gates)
    python.append(time.perf_counter() - start)

print(f"default run ({samples} samples), {pairs} runs each, in turn")
for what in (min, statistics.median):
    e, p = what(engine) * 1e6, what(python) * 1e6
    print(f"  {what.__name__:6s}: engine only {e:8.1f} us, vantor.run {p:8.1f} us, "
          f"difference {p - e:6.1f} us ({(p / e - 1) * 100:+.1f} %)")
