import csv
import math

import numpy as np
import pytest

import vantor


def cli_rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        lines = f.read().splitlines()
    assert lines[0].startswith("#")  # the signature line
    rows = list(csv.reader(lines[1:]))
    return rows[0], rows[1:]


def test_sweep_equals_the_command_line(cli, tmp_path):
    p = vantor.Parameters()
    p["duration"] = 120
    p["offset"] = 110
    p.save(tmp_path / "p.vt4")
    out = tmp_path / "rows.csv"
    cli("sweep", str(tmp_path / "p.vt4"), "--vary", "gA=0:1:3", "--vary", "step=0.5,1.5,3",
        "--jobs", "2", "--out", str(out), "-q")
    header, rows = cli_rows(out)
    got = vantor.sweep(p, vary={"gA": "0:1:3", "step": [0.5, 1.5, 3]}, jobs=2, frame=False)
    assert list(got) == header
    assert len(got["run"]) == len(rows) == 9
    assert len(set(got["spikes"])) > 1
    for i, row in enumerate(rows):
        for name, text in zip(header, row):
            value = got[name][i]
            if name in ("class", "error"):
                assert value == text
            elif name in ("gA", "step"):
                assert np.float32(value) == np.float32(text)
            elif text == "":
                assert math.isnan(value), name
            else:  # rows hold 7 digits of the measures
                assert "%.7g" % value == text, (name, i)


def test_threads_random_points_and_refused_rows():
    p = vantor.Parameters()
    one = vantor.sweep(p, vary={"step": "0:3:7"}, jobs=1, frame=False)
    two = vantor.sweep(p, vary={"step": np.linspace(0, 3, 7)}, jobs=2, frame=False)
    for name in one:
        assert np.array_equal(one[name], two[name]) or all(
            a == b or (a != a and b != b) for a, b in zip(one[name], two[name]))
    rates = one["rate_hz"]
    assert rates[0] == 0 and rates[-1] >= rates[4] > 0
    drawn = vantor.sweep(p, vary={"gA": "0:2:3"}, samples=5, seed=7, frame=False)
    again = vantor.sweep(p, vary={"gA": "0:2:3"}, samples=5, seed=7, frame=False)
    assert np.array_equal(drawn["gA"], again["gA"]) and len(set(drawn["gA"])) == 5
    # A point the run refuses becomes a row with its message.
    p.set_limits("area", 0, 1e9)
    rows = vantor.sweep(p, vary={"area": [0, 29000]}, frame=False)
    assert "Membrane area" in rows["error"][0] and rows["error"][1] == ""
    assert math.isnan(rows["rate_hz"][0]) and rows["class"][0] == ""


def test_bad_sweeps_are_refused():
    p = vantor.Parameters()
    with pytest.raises(KeyError, match="gA"):
        vantor.sweep(p, vary={"gAA": "0:1:2"})
    with pytest.raises(ValueError, match="out of range"):
        vantor.sweep(p, vary={"gA": [0, 500]})
    with pytest.raises(ValueError, match="COUNT"):
        vantor.sweep(p, vary={"gA": "0:1:0"})
    with pytest.raises(ValueError, match="twice"):
        vantor.sweep(p, vary={"gA": "0:1:2", 10: "0:1:2"})
    with pytest.raises(ValueError, match="finite"):
        vantor.sweep(p, vary={"gA": [0, math.nan]})
    with pytest.raises(ValueError, match="force=True"):
        vantor.sweep(p, vary={"gA": "0:1:1000", "gK": "0:1:1000"})
    for jobs in (0, 10**12, 1.5):
        with pytest.raises(ValueError):
            vantor.sweep(p, vary={"gA": [0, 1]}, jobs=jobs)
    with pytest.raises(TypeError):
        vantor.sweep(p, vary={"gA": [[0, 1]]})
    with pytest.raises(ValueError, match="vary gA: expected"):
        vantor.sweep(p, vary={"gA": "a:b"})


def test_a_data_frame_when_pandas_is_there():
    pandas = pytest.importorskip("pandas")
    p = vantor.Parameters()
    frame = vantor.sweep(p, vary={"step": [1, 2]})
    assert isinstance(frame, pandas.DataFrame)
    columns = vantor.sweep(p, vary={"step": [1, 2]}, frame=False)
    assert list(frame.columns) == list(columns)
    assert frame["rate_hz"].tolist() == columns["rate_hz"].tolist()
    assert frame["class"].tolist() == ["silent", "tonic"]
