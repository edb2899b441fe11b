import numpy as np
import pytest

import vantor


def test_stimulus_built_saved_and_read_back(tmp_path):
    s = (vantor.Stimulus.ramp(10, 70, to=3) + vantor.Stimulus.train(5, 3, 1, 10, 2)
         + vantor.Stimulus.chirp(0, 80, 0.1, 1, 100, log=True))
    assert s.segment_count == 3 and not s.voltage_clamp
    s.save(tmp_path / "s.vtp")
    assert vantor.Stimulus.load(tmp_path / "s.vtp") == s
    assert s.text.startswith("vantor-stimulus 1\nclamp current\n")
    with pytest.raises(ValueError, match="field width: must be more than 0 ms"):
        vantor.Stimulus.train(0, 2, -1, 5, 1)
    with pytest.raises(ValueError, match="line 2, field offset: comes before the onset"):
        vantor.Stimulus.parse("vantor-stimulus 1\nstep onset=5 offset=1 level=1\n")
    with pytest.raises(vantor.FileError, match="cannot be opened"):
        vantor.Stimulus.load(tmp_path / "missing.vtp")
    with pytest.raises(ValueError, match="cannot be combined"):
        vantor.voltage_clamp(-70) + vantor.Stimulus.step(1, 2, 3)


def test_stimulus_drives_the_run_and_the_clamp_holds_v():
    p = vantor.Parameters()
    p["step"] = 0
    wave = vantor.Stimulus.waveform([0, 40, 80], [0, 2, 0])
    r = vantor.run(p, stimulus=wave, method=4)
    assert np.allclose(r["I-Inj"], np.interp(r.t, [0, 40, 80], [0, 2, 0]), atol=0.05)
    vc = vantor.voltage_clamp(-70, vantor.Stimulus.step(10, 40, 70))
    c = vantor.run(vantor.Parameters(), stimulus=vc, method=4)
    assert c.names[-2:] == ["V-cmd (mV)", "I-clamp (nA)"]
    assert np.allclose(c.v, c["V-cmd"], atol=1e-3)
    assert np.array_equal(c["I-clamp"], c["I-Inj"])
    # An integer resistance is a number like any other; a text is not.
    assert vantor.voltage_clamp(-70, series_resistance=2).series_resistance == 2.0
    with pytest.raises(TypeError):
        vantor.voltage_clamp(-70, series_resistance="2")


def test_iv_of_the_sodium_current_and_its_control():
    p = vantor.Parameters()
    p["gK"] = 0
    curve = vantor.iv(p, hold=-80, levels="-60:40:11", method=4)
    assert curve.peak.min() < -100
    assert 25 < curve.fit["reversal_mv"] < 50 and curve.fit["slope_mv"] > 0
    p["gNa"] = 0
    assert vantor.iv(p, hold=-80, levels="-60:40:11", method=4).peak.min() > -5


def test_h_tails_ramp_rheobase_and_chirp_resonance():
    p = vantor.Parameters()
    p["gH"], p["duration"], p["onset"], p["offset"] = 0.05, 1400, 100, 1100
    curve = vantor.iv(p, hold=-50, levels="-130:-50:9", current="IH", tail=-70, method=4)
    assert curve.current == "I-H"
    # The tails give back the H gate's half activation (-75 mV in the gate table).
    assert abs(curve.tail_fit["v_half_mv"] + 75) < 2 and curve.tail_fit["slope_mv"] < 0
    assert curve.tail_start[0] < -1 and abs(curve.tail_start[-1]) < 0.05
    assert all(d is None or d["tau_ms"] > 0 for d in curve.tail_decay)

    fast = vantor.rheobase(vantor.Parameters(), ramp=(0, 4, 200))
    slow = vantor.rheobase(vantor.Parameters(), ramp=(0, 4, 1000))
    assert fast["rate_na_per_ms"] == 0.02 and 1 < slow["current_na"] < fast["current_na"] < 2.5
    with pytest.raises(ValueError, match="no spike"):
        vantor.rheobase(vantor.Parameters(), ramp=(0, 1, 100))

    q = vantor.Parameters()
    q["gH"] = 0.2
    with_h = vantor.impedance(q, chirp=(0.5, 30, 4000, 0.05), onset=3000)
    q["gH"] = 0
    without = vantor.impedance(q, chirp=(0.5, 30, 4000, 0.05), onset=3000)
    assert with_h["peak_hz"] > 5 and without["peak_hz"] < 1
    assert len(with_h["frequency_hz"]) == len(with_h["z_mohm"]) > 100
