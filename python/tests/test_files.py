import errno
import math
import os
import pathlib

import pytest

import vantor
from conftest import EXAMPLES


def changed_set():
    p = vantor.Parameters()
    p["gA"] = 0.75
    p["pNaleak"] = 0.07
    p["temperature"] = 22
    p.comment = "A-current, cooler"
    p.traces[7].plot = 1
    p.traces[7].maximum = 3
    return p


def test_vt4_round_trip_restores_everything(tmp_path):
    p = changed_set()
    path = tmp_path / "a.vt4"
    p.save(path)
    assert not (tmp_path / "a.cin").exists()
    q = vantor.Parameters.load(path)
    assert list(q) == list(p) and q.comment == p.comment
    assert [repr(t) for t in q.traces] == [repr(t) for t in p.traces]
    # A prompt read from a file keeps 30 characters: the Model prompt has 31.
    assert [q.prompt(k) for k in range(54)] == [p.prompt(k)[:30] for k in range(54)]
    q.save(tmp_path / "again.vt4")
    assert vantor.Parameters.load(tmp_path / "again.vt4") == q
    assert path.read_bytes().splitlines()[1] == b"  80 Trial duration (ms)"


def test_vts_keeps_the_rest_in_its_companion(tmp_path):
    p = changed_set()
    p.save(str(tmp_path / "b.vts"))
    assert len((tmp_path / "b.vts").read_text(encoding="latin-1").splitlines()) == 1 + 29 + 1 + 21
    assert (tmp_path / "b.cin").exists()
    assert list(vantor.Parameters.load(tmp_path / "b.vts")) == list(p)
    # Without the companion the read warns and leaves 29 .. 53 as built in.
    os.remove(tmp_path / "b.cin")
    with pytest.warns(vantor.FileWarning, match="b.cin file not found"):
        q = vantor.Parameters.load(tmp_path / "b.vts")
    assert q["gA"] == p["gA"] and q["temperature"] == 35


def test_load_warns_of_what_it_reads_all_the_same(tmp_path):
    vantor.Parameters().save(tmp_path / "a.vt4")
    lines = (tmp_path / "a.vt4").read_bytes().split(b"\n")
    lines[1] = b"80,5 Trial duration (ms)"
    lines[11] = b" 900 gA (0-2)"
    (tmp_path / "a.vt4").write_bytes(b"\n".join(lines))
    with pytest.warns(vantor.FileWarning) as warned:
        p = vantor.Parameters.load(tmp_path / "a.vt4")
    texts = [str(w.message) for w in warned]
    assert any('line 2: "80,5" is read as 80' in t for t in texts), texts
    assert any("The value for gA" in t and "out of range" in t and "a.vt4" in t for t in texts), texts
    assert p["duration"] == 80 and p["gA"] == 900


def test_shipped_examples_load():
    q = vantor.Parameters.load(pathlib.Path(EXAMPLES) / "default.vt4")
    assert list(q) == list(vantor.Parameters())


def test_unreadable_parameter_files_raise_the_program_message(tmp_path):
    with pytest.raises(vantor.FileError, match="Parameter file not found!") as missing:
        vantor.Parameters.load(tmp_path / "missing.vt4")
    assert missing.value.filename == str(tmp_path / "missing.vt4")
    assert missing.value.errno == errno.ENOENT and missing.value.strerror == os.strerror(errno.ENOENT)
    assert "No such file or directory" in str(missing.value)
    with pytest.raises(vantor.FileError, match="Is a directory") as directory:
        vantor.Parameters.load(tmp_path)
    assert directory.value.errno == errno.EISDIR and directory.value.filename == str(tmp_path)
    with pytest.raises(vantor.FileError, match="not a regular file"):
        vantor.Parameters.load("/dev/null")
    bad = tmp_path / "bad.vt4"
    bad.write_bytes(b"comment\nnot a number\n")
    with pytest.raises(vantor.FileError, match="The file .*bad.vt4 is invalid."):
        vantor.Parameters.load(bad)
    binary = tmp_path / "binary.vt4"
    binary.write_bytes(bytes(range(256)) * 64)
    with pytest.raises(vantor.FileError):
        vantor.Parameters.load(binary)
    # A version 4 file under a version 3 name is refused, not misread.
    vantor.Parameters().save(tmp_path / "c.vt4")
    os.rename(tmp_path / "c.vt4", tmp_path / "c.vts")
    with pytest.raises(vantor.FileError):
        vantor.Parameters.load(tmp_path / "c.vts")
    with pytest.raises(TypeError):
        vantor.Parameters.load(42)
    with pytest.raises(ValueError):
        vantor.Parameters.load("a\0b.vt4")


def test_a_failed_save_raises_and_keeps_the_old_file(tmp_path):
    with pytest.raises(vantor.FileError, match="Could not write file .*No such file") as failed:
        vantor.Parameters().save(tmp_path / "no" / "such" / "dir.vt4")
    assert failed.value.errno == errno.ENOENT
    assert failed.value.filename == str(tmp_path / "no" / "such" / "dir.vt4")
    path = tmp_path / "keep.vt4"
    changed_set().save(path)
    before = path.read_bytes()
    # A value that could not be read back is refused before anything is replaced.
    p = vantor.Parameters()
    p.set_limits("gA", -math.inf, math.inf)
    p["gA"] = math.inf
    with pytest.raises(vantor.FileError, match="keep.vt4"):
        p.save(path)
    assert path.read_bytes() == before


def test_gate_tables(tmp_path):
    shipped = vantor.GateTable()
    assert shipped.loaded
    assert shipped["mNa", "A"] == shipped[1, 0]
    assert vantor.GateTable.row_names[0] == "mNa" and vantor.GateTable.row_names[-1] == "GABAb"
    assert shipped.to_array().shape == (17, 8)
    data = os.path.join(vantor._core._data_dir(), "vmodels.val")
    copy_path = tmp_path / "vmodels.val"
    copy_path.write_bytes(open(data, "rb").read())
    assert vantor.GateTable.load(copy_path) == shipped
    edited = shipped.copy()
    edited["hNa", "D"] = 3
    assert edited != shipped and vantor.GateTable()["hNa", "D"] == shipped["hNa", "D"]
    with pytest.raises(KeyError):
        shipped["xNa", "A"]
    with pytest.raises(KeyError):
        shipped["mNa", "Z"]
    with pytest.raises(IndexError):
        shipped[0, 0]
    with pytest.raises(vantor.FileError, match="vmodels.val file not found."):
        vantor.GateTable.load(tmp_path / "none.val")
    short = tmp_path / "short.val"
    short.write_text("\n".join(open(data).read().splitlines()[:16]) + "\n")
    with pytest.raises(vantor.FileError, match="Unreadable vmodels.val file!"):
        vantor.GateTable.load(short)
