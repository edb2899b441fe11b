import math

import numpy as np
import pytest

import vantor


def test_gate_curves_are_arrays_of_the_run_kinetics():
    curves = vantor.GateTable().curves(["mNa", "hNa", "mAHP"], v=(-80, 20), ca=(0, 2),
                                       points=11, temperature=23.5)
    assert list(curves) == ["mNa", "hNa", "mAHP"]
    m, h = curves["mNa"], curves["hNa"]
    assert m["axis"] == "mV" and curves["mAHP"]["axis"] == "uM"
    assert m["x"][0] == -80 and m["x"][-1] == 20 and len(m["inf"]) == 11
    assert np.all(np.diff(m["inf"]) > 0) and np.all(np.diff(h["inf"]) < 0)
    assert curves["mAHP"]["inf"][5] == pytest.approx(0.5)  # 1 uM half-opens mAHP
    warm = vantor.GateTable().curves(["mK"], temperature=33.5, points=5)["mK"]
    cold = vantor.GateTable().curves(["mK"], temperature=23.5, points=5)["mK"]
    np.testing.assert_allclose(cold["tau"], 3 * warm["tau"], rtol=1e-5)
    with pytest.raises(ValueError):
        vantor.GateTable().curves(["AMPA"])
    with pytest.raises(ValueError):
        vantor.GateTable().curves(v=(50, -100))


def test_drug_copy_changes_only_its_targets_and_leaves_the_original():
    p = vantor.Parameters()
    p["gNap"] = 0.1
    q = p.with_drug("TTX", "1nM")
    assert q["gNa"] == pytest.approx(p["gNa"] / 2) and q["gNap"] == pytest.approx(0.05)
    assert [a for a, b in zip(p, q) if a != b] == [p["gNa"], p["gNap"]]
    assert p["gNa"] == 20  # the original is the washout
    assert p.with_drug("apv", 0.35e-6)["NMDA weight"] == pytest.approx(0.5)
    with pytest.raises(ValueError, match="no drug"):
        p.with_drug("coffee", "1uM")
    with pytest.raises(ValueError, match="unit"):
        p.with_drug("TTX", "3")
    names = [d["name"] for d in vantor.drugs()]
    assert "TTX" in names and "APV" in names


def test_ion_potentials_follow_nernst():
    p = vantor.Parameters()
    p["temperature"] = 20
    e = p.ion_potentials()
    rt_f = 8.314 * 293 / 96480 * 1000
    assert e["E_K"] == pytest.approx(rt_f * math.log(3.1 / 135), abs=1e-3)
    assert e["E_Ca"] == pytest.approx(rt_f / 2 * math.log(2e-3 / 10e-9), abs=1e-3)
    assert e["leak"] == "GHK"


def test_help_page_lists_every_drug_with_its_targets():
    import pathlib
    page = (pathlib.Path(vantor.__file__).parent / "data" / "vantorw.html").read_text()
    for d in vantor.drugs():
        row = next((line for line in page.splitlines() if line.startswith(f"<tr><td>{d['name']}")), None)
        assert row is not None, d["name"]
        for t in d["targets"]:
            assert t["parameter"] in row, (d["name"], t["parameter"])
        assert d["sources"] in row
