import _thread
import signal
import sys
import threading

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
    # A long run on the main thread, and a thread that interrupts it: with
    # a switch interval longer than any test, that thread gets the GIL only
    # when the run lets it go. Holding it would let the whole run finish
    # (it returns); released, the run ends early with KeyboardInterrupt.
    p = long_set(2.0, duration=400000)
    started = threading.Event()
    returned = []

    def other():
        started.wait()
        _thread.interrupt_main()

    interval = sys.getswitchinterval()
    handler = signal.signal(signal.SIGINT, signal.default_int_handler)
    sys.setswitchinterval(1000.0)
    thread = threading.Thread(target=other)
    try:
        thread.start()
        started.set()
        try:
            vantor.run(p)
            returned.append(True)
        except KeyboardInterrupt:
            pass
    finally:
        sys.setswitchinterval(interval)
        try:
            thread.join()
        except KeyboardInterrupt:
            returned.append("interrupted after the run")
        signal.signal(signal.SIGINT, handler)
    assert returned == []


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
