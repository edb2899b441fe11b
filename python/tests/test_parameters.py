import copy
import math

import numpy as np
import pytest

import vantor


def test_built_in_values_and_shipped_limits():
    p = vantor.Parameters()
    assert len(p) == 54
    assert p[0] == 80 and p["duration"] == 80
    assert p["gNa"] == 20 and p[5] == 20
    assert p["pNaleak"] == np.float32(0.06)  # single precision, as stored
    assert p.comment == "Train of action potentials"
    # The shipped limits file opens the parameters 29 .. 53 that the
    # built-in limits hold at 0 .. 0.
    lo, hi = p.limits("model")
    assert lo == 1 and hi > 1
    assert list(p)[:5] == [80, 0, 10, 60, 2]
    assert p.keys()[:5] == ["duration", "base", "onset", "offset", "step"]
    assert dict(p.items())["gK"] == 2


def test_items_by_index_name_and_prompt():
    p = vantor.Parameters()
    p["gA"] = 1.5
    assert p[10] == 1.5 and p["gA"] == 1.5
    assert p["gA (0-2)"] == 1.5           # the prompt
    assert p["membrane area (sq µ)"] == 29000  # prompt with µ, any case
    assert p[53] == 35
    with pytest.raises(IndexError, match="outside 0 .. 53"):
        p[-1]  # not the last one: a slip, as a negative index usually is
    assert p.index("temperature") == 53
    assert p.prompt("gK") == "gK  (0-4)"
    assert p.unit("gNa") == "µS"
    assert "gA" in p and "nonsense" not in p


def test_unknown_keys_and_wrong_types():
    p = vantor.Parameters()
    with pytest.raises(KeyError, match="gA"):  # suggests the close name
        p["gAA"]
    with pytest.raises(IndexError):
        p[54]
    with pytest.raises(IndexError):
        p[-55]
    with pytest.raises(IndexError):
        p[10**30]
    assert p[np.int64(5)] == 20
    with pytest.raises(TypeError):
        p[1.5]
    with pytest.raises(TypeError):
        p[True]


def test_range_error_quotes_the_program_message_and_keeps_the_value():
    p = vantor.Parameters()
    with pytest.raises(ValueError) as error:
        p["gA"] = 200.5
    assert str(error.value) == "The value for gA  is out of range. It must be between 0 and 200!"
    assert p["gA"] == 0
    with pytest.raises(ValueError, match="Trial duration  is out of range"):
        p["duration"] = 0.5
    with pytest.raises(ValueError):
        p["gA"] = math.nan
    with pytest.raises(ValueError):
        p["gA"] = 1e300  # no float holds it
    # Both limits themselves are allowed.
    p["gA"] = 200
    p["gA"] = 0
    p["[Ca]i"] = 10
    with pytest.raises(ValueError, match="between 10 and 1e"):
        p["[Ca]i"] = 9.99


def test_widened_limits_and_in_range():
    p = vantor.Parameters()
    assert not p.in_range("gA", 300)
    p.set_limits("gA", 0, 1000)
    p["gA"] = 300
    assert p["gA"] == 300
    with pytest.raises(ValueError):
        p.set_limits("gA", 5, 1)


def test_comment_and_repr():
    p = vantor.Parameters()
    p.comment = "Ströme 5 µS €"  # € is not in the program's character set
    assert p.comment == "Ströme 5 µS ?"
    p.comment = "x" * 100
    assert len(p.comment) == 79
    for bad in ("two\nlines", "nul\0byte"):
        with pytest.raises(ValueError):
            p.comment = bad
    text = repr(p)
    assert "gNa" in text and "Trial duration (ms)" in text and "[1, 1e+06]" in text
    assert len(text.splitlines()) == 56


def test_trace_table_views_write_through():
    p = vantor.Parameters()
    traces = p.traces
    assert len(traces) == 21
    assert traces[0].name == "V-m (mV)" and traces[0].plot == 75
    assert traces[3].unit == "µM"
    assert traces[9].cond  # I-Na shows its conductance by default
    assert traces[9].name == "g-Na (µS)"
    traces[1].maximum = 7.5
    traces[10].cond = True
    assert p.traces[1].maximum == 7.5
    assert p.traces[10].name == "g-K (µS)"
    with pytest.raises(ValueError):
        traces[0].cond = True
    with pytest.raises(ValueError):
        traces[0].unit = "m V"
    with pytest.raises(ValueError):
        traces[0].unit = "toolong"
    with pytest.raises(ValueError):
        traces[0].unit = "m\0V"
    with pytest.raises(ValueError):
        traces[0].maximum = math.inf
    # A view keeps its set alive.
    view = vantor.Parameters().traces[2]
    assert view.name == "I-cap (nA)"


def test_copies_are_independent():
    p = vantor.Parameters()
    for q in (p.copy(), copy.copy(p), copy.deepcopy(p)):
        q["gA"] = 1
        q.traces[1].maximum = 9
        assert p["gA"] == 0 and p.traces[1].maximum == 5
        assert q != p
    assert p.copy() == p


def test_limits_file_argument(tmp_path):
    with pytest.raises(ValueError, match="mnx"):
        vantor.Parameters(limits=tmp_path / "limits.txt")
    with pytest.raises(vantor.FileError, match="Could not find initialization file"):
        vantor.Parameters(limits=tmp_path / "none.mnx")
    limits = tmp_path / "wide.mnx"
    limits.write_text("\n".join(["1000 -1000"] * 54) + "\n")
    p = vantor.Parameters(limits=limits)
    assert p.limits("gA") == (-1000, 1000)
