"""The single-cell simulator from Python: parameters, runs and sweeps as NumPy arrays.

    import vantor
    p = vantor.Parameters()          # the built-in set with the shipped limits
    p["gA"] = 1.0                    # checked against the limits
    r = vantor.run(p)                # r.t, r["V-m (mV)"], r.spikes, r.measures
    rows = vantor.sweep(p, vary={"step": "0:3:31"})
"""

import os as _os

import numpy as _np

from . import _core
from ._core import (FileError, FileWarning, GateTable, Parameters, RunError, Trace, __version__,
                    drugs)

__all__ = ["Parameters", "GateTable", "Trace", "Result", "run", "save_nwb", "sweep",
           "FileError", "FileWarning", "RunError", "drugs"]

_core._set_data_dir(_os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "data"))


class Result:
    """The recorded samples of one run.

    t          sample times (ms), float64, strictly rising; one sample at each
               step edge, with what the run reached there (I-Inj jumps after it)
    traces     2-D array, one row per trace, named by `names` as in the CSV header;
               method 4 gives its double-precision values, methods 1 to 3 their
               single-precision ones widened
    spikes     spike times (ms): where each upstroke rises through the threshold
    spike_features  {feature: array}, one entry per spike: time_ms, onset_ms,
               onset_mv, peak_ms, peak_mv, amplitude_mv, half_width_ms,
               max_dvdt, ahp_depth_mv, ahp_time_ms (NaN where the trace ends first)
    dvdt       dV/dt (mV/ms) at every sample, for a phase plane against r.v
    window     (from, to), the window the measures were taken over (ms);
               stimulus, the stimulus onset latencies count from
    measures   dict of the run's measures (rate_hz, latency_ms, ..., class);
               NaN where a measure does not exist; empty unless completed
    outcome    "completed", "refused" or "failed"; message says why
    r[name]    one trace by its column name ("V-m (mV)") or the part before
               the unit ("V-m")
    """

    __slots__ = ("t", "traces", "names", "spikes", "spike_features", "dvdt", "measures",
                 "window", "stimulus", "outcome",
                 "message", "samples", "passes", "rejected", "_inputs")

    def __init__(self, raw):
        data = raw["data"]
        self.t = data[0]
        self.traces = data[1:]
        self.names = raw["names"]
        self.spikes = raw["spikes"]
        self.spike_features = raw["spike_features"]
        self.dvdt = raw["dvdt"]
        self.stimulus = raw.get("stimulus")
        self.measures = raw.get("measures", {})
        self.window = raw.get("window")
        self.outcome = raw["outcome"]
        self.message = raw["message"]
        self.samples = raw["samples"]
        self.passes = raw["passes"]
        self.rejected = raw["rejected"]
        self._inputs = None  # (params, method, gates, tolerance) of vantor.run, for NWB files

    def _row(self, name):
        for i, full in enumerate(self.names):
            if name == full or name == full.split(" (", 1)[0]:
                return i
        raise KeyError(f"no trace called {name!r}; the traces are {', '.join(self.names)}")

    def __getitem__(self, name):
        return self.traces[self._row(name)]

    def __contains__(self, name):
        try:
            self._row(name)
        except KeyError:
            return False
        return True

    def keys(self):
        return list(self.names)

    @property
    def v(self):
        """The membrane potential (mV)."""
        return self.traces[0]

    def to_nwb(self, path):
        """Writes this run as an NWB 2.5 file (see save_nwb)."""
        save_nwb([self], path)

    def __repr__(self):
        end = f", t = 0 .. {self.t[-1]:g} ms" if len(self.t) else ""
        rate = self.measures.get("rate_hz")
        more = f", {rate:g} Hz" if rate is not None and rate == rate else ""
        return (f"<vantor.Result {self.outcome}: {len(self.t)} samples{end}, "
                f"{len(self.spikes)} spikes{more}>")


def run(params, method=None, gates=None, threshold=-20.0, tolerance=None, dvdt=20.0,
        window=None):
    """Runs one trial of `params` (not changed) and returns a Result.

    method     integration method (the "Model" parameter) for this run only
    gates      a GateTable; the shipped one by default
    threshold  a spike's peak reaches it (mV), and its upstroke is timed there
    dvdt       the rise (mV/ms) that starts a spike; it counts when its peak
               stands 20 mV above that onset (the manual page has the rule)
    window     (from, to) in ms for the measures instead of the default one
    tolerance  Model 4's relative tolerance, between 1e-12 and 1e-2 (both
               excluded), as vantor-cli run --tolerance

    A run the program refuses, or one that breaks down, raises RunError with
    the program's message; a failed run's samples are in the error's `result`.
    The GIL is released while the engine runs.
    """
    result = Result(_core.run(params, method, gates, threshold, tolerance, dvdt, window))
    result._inputs = (params.copy(), method, gates, tolerance)
    if result.outcome != "completed":
        error = RunError(result.message or "The run did not complete.")
        error.result = result
        raise error
    return result


def save_nwb(results, path):
    """Writes results of vantor.run as one NWB 2.5 file, a sweep each: V-m as a
    CurrentClampSeries, the injected current as its stimulus, every other trace
    under processing/traces, the spike times in units, and what remakes the
    first run under general/vantor (vantor-cli run --from FILE remakes it).
    Raises FileError with the path and the reason when it cannot be written;
    a file already there is replaced only once the new one is complete."""
    if isinstance(results, Result):
        results = [results]
    runs = []
    for r in results:
        if not isinstance(r, Result) or r._inputs is None:
            raise TypeError("save_nwb takes results of vantor.run")
        params, method, gates, tolerance = r._inputs
        runs.append((_np.vstack([r.t, r.traces]), list(r.names), r.spikes, params, method, gates,
                     tolerance))
    _core._save_nwb(runs, path)


def sweep(params, vary, jobs=None, threshold=-20.0, samples=0, seed=1, method=None,
          gates=None, force=False, frame=None, dvdt=20.0, window=None):
    """Runs `params` over a grid (or random points) as `vantor-cli sweep` does.

    vary     {name: values}; values are "FROM:TO:COUNT", "V1,V2,...", or a
             sequence of numbers; the first name varies slowest
    jobs     threads (default: the number of cores)
    samples  above 0: this many random points drawn with `seed` instead
    force    allow grids above 100000 runs
    threshold, dvdt, window   as for run

    Returns the rows as {column: array} with the columns of the sweep file
    (run, the varied names, the measures, error), or a pandas DataFrame when
    pandas can be imported and `frame` is not False.
    """
    columns = _core.sweep(params, dict(vary), jobs, threshold, dvdt, window, samples, seed,
                          method, gates, force)
    if frame is False:
        return columns
    try:
        import pandas
    except ImportError:
        if frame:
            raise
        return columns
    return pandas.DataFrame(columns)
