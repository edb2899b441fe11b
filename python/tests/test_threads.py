import threading
import time

import numpy as np

import vantor


def long_set(step, duration=4000):
    p = vantor.Parameters()
    p["duration"] = duration
    p["offset"] = duration - 10
    p["step"] = step
    return p


def test_two_threads_run_trials_at_once_with_the_results_of_one():
    sets = [long_set(2.0), long_set(3.0)]
    alone = [vantor.run(p) for p in sets]
    results = [None, None]
    inside = threading.Barrier(2)

    def work(i):
        inside.wait()
        results[i] = vantor.run(sets[i])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for got, want in zip(results, alone):
        assert np.array_equal(got.t, want.t)
        assert np.array_equal(got.traces, want.traces)
        assert np.array_equal(got.spikes, want.spikes)
    assert len(alone[0].spikes) != len(alone[1].spikes)


def test_python_runs_while_the_engine_does():
    p = long_set(2.0, duration=20000)
    times = {}
    started = threading.Event()

    def work():
        started.set()
        times["start"] = time.perf_counter()
        vantor.run(p)
        times["end"] = time.perf_counter()

    def other():
        started.wait()
        time.sleep(0.05)
        times["other"] = time.perf_counter()  # needs the GIL

    threads = [threading.Thread(target=work), threading.Thread(target=other)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    run_time = times["end"] - times["start"]
    # Holding the GIL would keep the other thread out until the run ended.
    assert times["other"] < times["end"] - run_time / 2


def test_parameters_changed_by_another_thread_do_not_reach_a_running_trial():
    p = long_set(2.0)
    want = vantor.run(p)
    got = []
    t = threading.Thread(target=lambda: got.append(vantor.run(p)))
    t.start()
    for value in (0.5, 1.0, 3.0) * 200:
        p["step"] = value
    t.join()
    assert np.array_equal(got[0].v, want.v)
