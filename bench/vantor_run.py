#!/usr/bin/env python3
"""The default run through the engine alone and through vantor.run.

    PYTHONPATH=build/python python3 bench/vantor_run.py [repeats]

Prints the best of 15 rounds, taken in turn, per run: the engine with its samples
discarded, then vantor.run with the samples recorded into NumPy arrays,
spikes and measures; and the difference.
"""
import sys
import time

import vantor
from vantor import _core

repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 100
rounds = 15
params = vantor.Parameters()
gates = vantor.GateTable()
vantor.run(params, gates=gates)  # warm up


def through_run():
    start = time.perf_counter()
    for _ in range(repeats):
        vantor.run(params, gates=gates)
    return time.perf_counter() - start


# Rounds in turn, so that a busy moment of the machine hits both alike.
engine_rounds, python_rounds = [], []
for _ in range(rounds):
    engine_rounds.append(_core._time_engine(params, gates, repeats))
    python_rounds.append(through_run())
engine = min(engine_rounds) / repeats
python = min(python_rounds) / repeats
samples = len(vantor.run(params, gates=gates).t)
print(f"default run, {samples} samples, best of {rounds} x {repeats} runs")
print(f"  engine only : {engine * 1e6:9.1f} us per run")
print(f"  vantor.run  : {python * 1e6:9.1f} us per run")
print(f"  difference  : {(python - engine) * 1e6:9.1f} us ({(python / engine - 1) * 100:+.1f} %)")
