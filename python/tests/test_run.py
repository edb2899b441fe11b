import json
import math

import numpy as np
import pytest

import vantor
from conftest import read_csv, spike_times


def test_default_run_arrays():
    p = vantor.Parameters()
    r = vantor.run(p)
    assert r.outcome == "completed" and r.message == ""
    assert r.traces.shape == (21, len(r.t)) and len(r.names) == 21
    assert r.names[:3] == ["V-m (mV)", "I-Inj (nA)", "I-cap (nA)"]
    assert r.t[0] == 0 and r.t[-1] == 80 and np.all(np.diff(r.t) > 0)
    assert r["V-m (mV)"] is not None and np.array_equal(r["V-m"], r.v)
    assert r.v[0] == -65
    # I-Inj: 2 nA strictly inside the step from 10 to 60 ms.
    inside = (r.t > 10) & (r.t < 60)
    assert np.all(r["I-Inj"][inside] == 2) and np.all(r["I-Inj"][~inside] == 0)
    assert len(r.spikes) == r.measures["spikes"] > 0
    assert r.measures["class"] == "tonic" and r.window == (10, 60)
    assert math.isnan(vantor.run(vantor.Parameters(), threshold=100).measures["latency_ms"])
    with pytest.raises(KeyError):
        r["nonsense"]
    assert "spikes" in repr(r)
    assert p["[Ca]i"] == 10 and p == vantor.Parameters()  # the run used a copy


def test_run_matches_the_command_line_to_the_last_digit(cli, tmp_path):
    p = vantor.Parameters()
    p["gA"] = 0.5
    p["step"] = 2.5
    p.traces[5].cond = True
    p.save(tmp_path / "p.vt4")
    cli("run", str(tmp_path / "p.vt4"), "--csv", str(tmp_path / "run.csv"))
    header, rows = read_csv(tmp_path / "run.csv")
    r = vantor.run(p)
    assert header == ["time (ms)"] + r.names
    columns = np.array(rows).T
    assert np.array_equal(columns[0], r.t)
    assert np.array_equal(columns[1:], r.traces)
    # Each spike of this train rises through the threshold (-20 mV) once.
    expected = spike_times(list(columns[0]), list(columns[1]), -20.0)
    assert len(expected) > 1
    assert r.spikes.tolist() == expected
    measured = json.loads(cli("measure", str(tmp_path / "p.vt4"), "--json").stdout)
    for key, value in r.measures.items():
        if key == "class":
            assert value == measured[key]
        elif measured[key] is None:
            assert math.isnan(value)
        else:
            assert "%.9g" % value == "%.9g" % measured[key], key


def test_spike_rule_window_shapes_and_dvdt():
    p = vantor.Parameters()
    p["step"] = 4
    r = vantor.run(p)
    # Eleven spikes though all but the first peak below 0 mV.
    assert len(r.spikes) == 11 and np.sum(r.spike_features["peak_mv"] > 0) == 1
    f = r.spike_features
    assert set(f) >= {"onset_mv", "amplitude_mv", "half_width_ms", "max_dvdt", "ahp_depth_mv",
                      "ahp_time_ms"}
    assert np.all(f["amplitude_mv"] >= 20) and np.all(f["max_dvdt"] >= 20)
    assert r.measures["amplitude_mv"] == pytest.approx(np.mean(f["amplitude_mv"]))
    assert r.measures["latency_ms"] == pytest.approx(r.spikes[0] - 10)
    # dV/dt at every sample, finite where the times differ, and steepest on an upstroke.
    assert r.dvdt.shape == r.t.shape and np.all(np.isfinite(r.dvdt))
    assert np.max(r.dvdt) == pytest.approx(np.max(f["max_dvdt"]), rel=0.3)
    assert len(vantor.run(p, dvdt=1000).spikes) == 0
    assert vantor.run(p, window=(0, 80)).window == (0, 80)
    for bad in ({"threshold": float("nan")}, {"dvdt": 0}, {"window": (60, 10)}, {"window": (1,)}):
        with pytest.raises(ValueError):
            vantor.run(p, **bad)
    rows = vantor.sweep(p, vary={"step": [0, 2]}, window=(10, 60), frame=False)
    assert list(rows["window_to_ms"]) == [60, 60] and rows["half_width_ms"][1] > 0


def test_method_and_gates_arguments():
    p = vantor.Parameters()
    euler = vantor.run(p, method=2)
    assert p["model"] == 1
    assert not np.array_equal(euler.v[:50], vantor.run(p).v[:50]) or len(euler.t) != len(vantor.run(p).t)
    with pytest.raises(ValueError, match="out of range"):
        vantor.run(p, method=99)
    with pytest.raises(TypeError):
        vantor.run(p, method="RK")
    with pytest.raises(ValueError, match='The method "2.5" is not a whole number.'):
        vantor.run(p, method=2.5)
    gates = vantor.GateTable()
    gates["mNa", "A"] = 0  # no sodium activation: no spikes
    assert len(vantor.run(p, gates=gates).spikes) == 0
    with pytest.raises(TypeError):
        vantor.run(p, gates="vmodels.val")


def test_method_4_arrays_are_in_double_precision(cli, tmp_path):
    p = vantor.Parameters()
    r = vantor.run(p, method=4)
    assert np.all(np.diff(r.t) > 0)  # np.gradient needs no zero-length intervals
    assert np.count_nonzero(r.v != r.v.astype(np.float32)) > len(r.v) // 2
    assert np.count_nonzero(r.t == 60) == 1 and np.all(np.isfinite(np.gradient(r.v, r.t)))
    # The same numbers as the command line's CSV, to the last digit.
    p["model"] = 4
    p.save(tmp_path / "p.vt4")
    cli("run", str(tmp_path / "p.vt4"), "--csv", str(tmp_path / "run.csv"))
    rows = np.loadtxt(tmp_path / "run.csv", delimiter=",", skiprows=1, encoding="utf-8")
    assert np.array_equal(rows[:, 0], r.t) and np.array_equal(rows[:, 1], r.v)
    assert np.array_equal(rows[:, 2], r["I-Inj"])


def test_refused_run_raises_the_program_message(cli, tmp_path):
    p = vantor.Parameters()
    p.set_limits("area", 0, 1e9)
    p["area"] = 0
    with pytest.raises(vantor.RunError) as error:
        vantor.run(p)
    message = str(error.value)
    assert "Membrane area" in message
    assert error.value.result.outcome == "refused" and len(error.value.result.t) == 0
    p.save(tmp_path / "zero-area.vt4")
    done = cli("run", str(tmp_path / "zero-area.vt4"), check=False)
    assert done.returncode != 0 and message in done.stderr


def test_failed_run_raises_with_its_samples():
    gates = vantor.GateTable()
    gates["hNa", "D"] = math.nan
    with pytest.raises(vantor.RunError, match="hNa") as error:
        vantor.run(vantor.Parameters(), gates=gates)
    result = error.value.result
    assert result.outcome == "failed" and result.measures == {}
    assert np.all(np.isfinite(result.traces))


def test_version_is_the_programs(cli):
    assert cli("--version").stdout.strip() == "vantor-cli " + vantor.__version__


def test_tolerance_as_the_command_line_takes_it(cli, tmp_path):
    p = vantor.Parameters()
    p["model"] = 4
    p.save(tmp_path / "p.vt4")
    cli("run", str(tmp_path / "p.vt4"), "--tolerance", "1e-4", "-q", "--csv", str(tmp_path / "r.csv"))
    header, rows = read_csv(tmp_path / "r.csv")
    loose = vantor.run(p, tolerance=1e-4)
    assert len(loose.t) == len(rows)
    assert [np.float32(v) for v in loose.v] == [row[1] for row in rows]
    assert loose.passes != vantor.run(p).passes
    for bad in (1e-12, 1e-2, math.nan):
        with pytest.raises(ValueError, match=r"between 1e-12 and 1e-2 \(both excluded\)"):
            vantor.run(p, tolerance=bad)


def test_traces_and_dt_keep_only_what_is_asked(cli, tmp_path):
    p = vantor.Parameters()
    p["model"] = 4
    full = vantor.run(p)
    some = vantor.run(p, traces=["I-K", "g-Na (µS)", "I-K"])
    assert some.names == ["V-m (mV)", "I-K (nA)", "g-Na (µS)"] and some.traces.shape[0] == 3
    assert np.array_equal(some.t, full.t) and np.array_equal(some["I-K"], full["I-K"])
    assert np.array_equal(some.spikes, full.spikes) and np.array_equal(some.dvdt, full.dvdt)
    alone = vantor.run(p, traces=[])  # V alone: the run does not take the currents
    assert np.array_equal(alone.t, full.t) and np.array_equal(alone.v, full.v)
    # On a grid: the same numbers as the command line's --dt, to the last digit.
    p.save(tmp_path / "p.vt4")
    cli("run", str(tmp_path / "p.vt4"), "--dt", "0.03", "--csv", str(tmp_path / "grid.csv"))
    rows = np.loadtxt(tmp_path / "grid.csv", delimiter=",", skiprows=1, encoding="utf-8")
    grid = vantor.run(p, traces=["I-Inj", "I-K"], dt=0.03)
    assert np.allclose(rows[:, 0], grid.t, rtol=1e-14, atol=0)
    assert np.array_equal(rows[:, 1], grid.v) and np.array_equal(rows[:, 2], grid["I-Inj"])
    assert np.array_equal(rows[:, 11], grid["I-K"])
    assert len(grid.spikes) == len(full.spikes)
    assert np.allclose(grid.spikes, full.spikes, atol=0.01)
    with pytest.raises(ValueError, match="part of the run"):
        grid.to_nwb(tmp_path / "part.nwb")
    with pytest.raises(KeyError, match="no trace called 'I-Q'"):
        vantor.run(p, traces=["I-Q"])
    with pytest.raises(TypeError):
        vantor.run(p, traces="I-K")
    for bad in (0, -1, float("nan"), 1e-9):
        with pytest.raises(ValueError, match="dt"):
            vantor.run(p, dt=bad)
