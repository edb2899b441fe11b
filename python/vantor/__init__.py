"""The single-cell simulator from Python: parameters, runs and sweeps as NumPy arrays.

    import vantor
    p = vantor.Parameters()          # the built-in set with the shipped limits
    p["gA"] = 1.0                    # checked against the limits
    r = vantor.run(p)                # r.t, r["V-m (mV)"], r.spikes, r.measures
    rows = vantor.sweep(p, vary={"step": "0:3:31"})
    s = vantor.Stimulus.ramp(10, 70, to=3) + vantor.Stimulus.noise(0, 80, sd=0.1, tau=2)
    r = vantor.run(p, stimulus=s)    # the stimulus adds to the parameters' step
    curve = vantor.iv(p, hold=-80, levels="-60:40:11")   # a voltage-clamp family, fitted
"""

import os as _os

import numpy as _np

from . import _core
from ._core import (FileError, FileWarning, GateTable, Parameters, RunError, Stimulus, Trace,
                    __version__, drugs, fit_activation, fit_exponential, fit_inactivation,
                    fit_tail_activation, impedance, rheobase, voltage_clamp)

__all__ = ["Parameters", "GateTable", "Trace", "Result", "Stimulus", "run", "save_nwb", "sweep",
           "iv", "voltage_clamp", "fit_activation", "fit_inactivation", "fit_exponential",
           "fit_tail_activation", "rheobase", "impedance",
           "FileError", "FileWarning", "RunError", "drugs"]

_core._set_data_dir(_os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "data"))


class Result:
    """The recorded samples of one run.

    t          sample times (ms), float64, strictly rising; one sample at each
               step edge, with what the run reached there (I-Inj jumps after it);
               of run(..., dt=...) the grid 0, dt, 2 dt, ..., made when first read
    traces     2-D array, one row per trace, named by `names` as in the CSV header
               (those run(..., traces=...) kept);
               method 4 gives its double-precision values, methods 1 to 3 their
               single-precision ones widened
    spikes     spike times (ms): where each upstroke rises through the threshold
    spike_features  {feature: array}, one entry per spike: time_ms, onset_ms,
               onset_mv, peak_ms, peak_mv, amplitude_mv, half_width_ms,
               max_dvdt, ahp_depth_mv, ahp_time_ms (NaN where the trace ends first)
    dvdt       dV/dt (mV/ms) at every sample, for a phase plane against r.v (worked
               out when first read)
    window     (from, to), the window the measures were taken over (ms);
               stimulus, the stimulus onset latencies count from
    measures   dict of the run's measures (rate_hz, latency_ms, ..., class);
               NaN where a measure does not exist; empty unless completed
    outcome    "completed", "refused" or "failed"; message says why
    r[name]    one trace by its column name ("V-m (mV)") or the part before
               the unit ("V-m")
    """

    __slots__ = ("_t", "_step", "traces", "names", "spikes", "spike_features", "_dvdt", "measures",
                 "window", "stimulus", "outcome", "message", "samples", "passes", "rejected",
                 "_inputs", "label", "_family", "_partial")

    def __init__(self, raw):
        data = raw["data"]
        self._step = raw.get("step")
        if self._step is None:
            self._t, self.traces = data[0], data[1:]
        else:  # on a grid the times are k dt, made when first read
            self._t, self.traces = None, data
        self.names = raw["names"]
        self.spikes = raw["spikes"]
        self.spike_features = raw["spike_features"]
        self._dvdt = None
        self._partial = raw.get("partial", False)  # some traces, or resampled
        self.stimulus = raw.get("stimulus")
        self.measures = raw.get("measures", {})
        self.window = raw.get("window")
        self.outcome = raw["outcome"]
        self.message = raw["message"]
        self.samples = raw["samples"]
        self.passes = raw["passes"]
        self.rejected = raw["rejected"]
        self._inputs = None  # (params, method, gates, tolerance, stimulus) of vantor.run, for NWB files
        self.label = ""      # a family member's level
        self._family = None  # ((inputs of the family), its results) for a family's member

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
    def t(self):
        if self._t is None:
            self._t = _np.arange(self.traces.shape[1], dtype=_np.float64) * self._step
        return self._t

    @property
    def dvdt(self):
        if self._dvdt is None:
            self._dvdt = _core._slopes(self.t, self.traces[0])
        return self._dvdt

    @property
    def v(self):
        """The membrane potential (mV)."""
        return self.traces[0]

    def to_nwb(self, path):
        """Writes this run as an NWB 2.5 file (see save_nwb); a stimulus run
        keeps its stimulus, in voltage clamp as clamp-current sweeps."""
        save_nwb([self], path)

    def __repr__(self):
        n = self.traces.shape[1]
        last = self._t[-1] if self._t is not None else (n - 1) * (self._step or 0)
        end = f", t = 0 .. {last:g} ms" if n else ""
        rate = self.measures.get("rate_hz")
        more = f", {rate:g} Hz" if rate is not None and rate == rate else ""
        return (f"<vantor.Result {self.outcome}: {n} samples{end}, "
                f"{len(self.spikes)} spikes{more}>")


def run(params, method=None, gates=None, threshold=-20.0, tolerance=None, dvdt=20.0,
        window=None, stimulus=None, traces=None, dt=None):
    """Runs one trial of `params` (not changed) and returns a Result.

    method     integration method (the "Model" parameter) for this run only
    gates      a GateTable; the shipped one by default
    threshold  a spike's peak reaches it (mV), and its upstroke is timed there
    dvdt       the rise (mV/ms) that starts a spike; it counts when its peak
               stands 20 mV above that onset (the manual page has the rule)
    window     (from, to) in ms for the measures instead of the default one
    tolerance  Model 4's relative tolerance, between 1e-12 and 1e-2 (both
               excluded), as vantor-cli run --tolerance
    stimulus   a Stimulus driving the run besides the parameters' step (in
               voltage clamp instead of it); I-Inj is then what drove each
               sample, and in voltage clamp "V-cmd (mV)" and "I-clamp (nA)"
               follow the traces. A stimulus with a family (with_family, or a
               file's family line) gives a list of Results, one per value in
               order, each with its `label` ("segment 1 -10 mV")
    traces     the traces to keep, by name as `names` has them ("I-K (nA)", or
               "I-K"); time and V-m are always kept, first, since the measures
               read them. None keeps every trace
    dt         keep the samples interpolated onto 0, dt, 2 dt, ... ms instead of
               as recorded, exactly as vantor-cli run --dt gives them in the
               CSV; the spikes and measures are then taken from those rows.
               A 1000 s run of V-m alone at dt 0.1 keeps 80 MB (r.t another 80
               MB once read)
    A result of `traces` or `dt` holds only part of the run: it cannot be saved
    as an NWB file.

    A run the program refuses, or one that breaks down, raises RunError with
    the program's message; a failed run's samples are in the error's `result`.
    The GIL is released while the engine runs.
    """
    if stimulus is not None and stimulus.family_size:
        results = []
        for member, step, label in stimulus._members():
            p = params
            if step is not None:
                p = params.copy()
                p["step"] = step
            r = run(p, method, gates, threshold, tolerance, dvdt, window, member, traces, dt)
            r.label = label
            results.append(r)
        # The whole family saved together is remade as one (see save_nwb).
        family = (params.copy(), method, gates, tolerance, stimulus)
        for r in results:
            r._family = (family, results)
        return results
    result = Result(_core.run(params, method, gates, threshold, tolerance, dvdt, window,
                              stimulus, traces, dt))
    result._inputs = (params.copy(), method, gates, tolerance, stimulus)
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
    A stimulus run keeps its stimulus there; in voltage clamp a sweep holds the
    clamp current with the command as its stimulus. The list a family gave
    (vantor.run with a family) is one file that --from remakes sweep by sweep.
    Raises FileError with the path and the reason when it cannot be written;
    a file already there is replaced only once the new one is complete."""
    if isinstance(results, Result):
        results = [results]
    results = list(results)
    runs = []
    whole = (len(results) > 0 and isinstance(results[0], Result) and results[0]._family is not None
             and results[0]._family[1] == results)
    for r in results:
        if not isinstance(r, Result) or r._inputs is None:
            raise TypeError("save_nwb takes results of vantor.run")
        if r._partial:
            raise ValueError("a result of run with traces or dt holds only part of the run; "
                             "run it without them to save it")
        params, method, gates, tolerance, stimulus = r._family[0] if whole else r._inputs
        runs.append((_np.vstack([r.t, r.traces]), list(r.names), r.spikes, params, method, gates,
                     tolerance, stimulus, r.label))
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


class IvCurve:
    """A voltage-clamp family as vantor-cli iv makes it.

    levels   the step (or prepulse) levels, mV
    current  the current measured: "I-clamp" or a channel's ("I-Na")
    peak     the current of largest size in each test step, its sign kept (nA)
    peak_time, steady   when the peak came (ms); the step's last current (nA)
    rise, decay   each level's exponential fit (fit_exponential) from the onset
             to the peak (activation) and from the peak to the offset
             (inactivation), None where none could be made
    fit      the Boltzmann fit of the peak current: v_half_mv, slope_mv and
             gmax_us, reversal_mv (steps) or imax_na (prepulses), residual_na;
             None when it could not be made (fit_error says why)
    tail_start, tail_peak, tail_amplitude, tail_decay   with a tail: its first
             current (set by the gates the step left), its current of largest
             size, the first above the tail's last current, and the fit of its
             relaxation from the first
    tail_fit fit_tail_activation of the tails' first currents: v_half_mv,
             slope_mv (below 0 for a current that opens on hyperpolarisation),
             imax_na, closed_na, residual_na (tail_fit_error when none)
    runs     each level's Result
    """

    __slots__ = ("levels", "current", "peak", "peak_time", "steady", "rise", "decay", "fit",
                 "fit_error", "tail_start", "tail_peak", "tail_amplitude", "tail_decay", "tail_fit",
                 "tail_fit_error", "runs")

    def __repr__(self):
        return f"<vantor.IvCurve {len(self.levels)} levels, fit {self.fit}>"


def _fit_or_none(t, i, start, end):
    try:
        return fit_exponential(t, i, start, end)
    except ValueError:
        return None


def iv(params, hold, levels, prepulse=None, test=None, method=None, gates=None, current=None,
       tail=None, tail_length=None):
    """Runs a voltage-clamp family through an ideal clamp, as vantor-cli iv does.

    hold      the holding potential (mV)
    levels    "FROM:TO:COUNT" or a sequence of potentials (mV)
    prepulse  ms: each level becomes a prepulse ending at the step onset, with
    test      a test step to this potential (mV) after it (inactivation)
    current   a channel ("INa", "IK", "IH" ...) instead of the clamp current
    tail      mV: after the step the potential goes here, for tail_length ms
              (default: to the trial's end)

    The steps lie where the parameters' step lies (its onset and offset); the
    current is sampled every 0.01 ms at least. Returns an IvCurve.
    """
    import numpy
    if isinstance(levels, str):
        parts = levels.split(":")
        if len(parts) != 3:
            raise ValueError(f"levels needs FROM:TO:COUNT: {levels!r}")
        levels = numpy.linspace(float(parts[0]), float(parts[1]), int(parts[2]))
    levels = numpy.asarray(levels, dtype=float)
    if (prepulse is None) != (test is None):
        raise ValueError("prepulse and test go together")
    name = "I-clamp" if current is None else _core._channel_name(current)
    p = params.copy()
    onset, offset = p["onset"], p["offset"]
    if not offset > onset or (prepulse is not None and onset - prepulse < 0):
        raise ValueError(f"the step (onset {onset:g} ms, offset {offset:g} ms) leaves no room "
                         "for the family")
    tail_end = offset
    if tail is not None:
        tail_end = p["duration"] if tail_length is None else offset + tail_length
        if not (offset < tail_end <= p["duration"]):
            raise ValueError(f"the tail after the step's offset ({offset:g} ms) does not fit in "
                             f"the trial ({p['duration']:g} ms)")
    if p["Maximum dt for plot (ms)"] > 0.01:
        p["Maximum dt for plot (ms)"] = 0.01
    if name != "I-clamp":
        p.traces[_core._channel_slot(name)].cond = False  # its current, not its conductance
    curve = IvCurve()
    curve.levels, curve.current = levels, name
    curve.runs, peaks, times, steadies = [], [], [], []
    curve.rise, curve.decay, curve.tail_decay = [], [], []
    tail_starts, tail_peaks, tail_amplitudes = [], [], []
    for level in levels:
        parts = [Stimulus.step(onset, offset, (level if prepulse is None else test) - hold)]
        if prepulse is not None:
            parts.append(Stimulus.step(onset - prepulse, onset, level - hold))
        if tail is not None:
            parts.append(Stimulus.step(offset, tail_end, tail - hold))
        r = run(p, method=method, gates=gates, stimulus=voltage_clamp(hold, *parts))
        i = r[name]
        peak, when, steady = _core._measure_step(r.t, i, onset, offset)
        curve.runs.append(r)
        peaks.append(peak), times.append(when), steadies.append(steady)
        curve.rise.append(_fit_or_none(r.t, i, onset, when))
        curve.decay.append(_fit_or_none(r.t, i, when, offset))
        if tail is not None:
            tp, _, ts = _core._measure_step(r.t, i, offset, tail_end)
            first = numpy.searchsorted(r.t, offset, side="right")  # set by the step's gates
            tail_starts.append(i[first]), tail_peaks.append(tp)
            tail_amplitudes.append(i[first] - ts)
            curve.tail_decay.append(_fit_or_none(r.t, i, r.t[first], tail_end))
    curve.peak, curve.peak_time, curve.steady = (numpy.array(x) for x in (peaks, times, steadies))
    curve.tail_start, curve.tail_peak = numpy.array(tail_starts), numpy.array(tail_peaks)
    curve.tail_amplitude = numpy.array(tail_amplitudes)
    curve.fit, curve.fit_error, curve.tail_fit, curve.tail_fit_error = None, None, None, None
    try:
        fit = fit_activation if prepulse is None else fit_inactivation
        curve.fit = fit(curve.levels, curve.peak)
    except ValueError as error:
        curve.fit_error = str(error)
    if tail is not None:
        try:
            curve.tail_fit = fit_tail_activation(curve.levels, curve.tail_start)
        except ValueError as error:
            curve.tail_fit_error = str(error)
    return curve
