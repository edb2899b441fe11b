"""Results as NWB files: the samples as the run made them, one sweep per
result, the run remade by vantor-cli from the file, and failures that say so."""
import os

import numpy as np
import pytest

import vantor

h5py = pytest.importorskip("h5py")
pytestmark = pytest.mark.skipif(not vantor._core.nwb_available, reason="built without HDF5")


def test_results_are_saved_as_sweeps_and_remade(tmp_path, cli):
    p = vantor.Parameters()
    first = vantor.run(p, method=4)
    p["gNa"] = p["gNa"] * 1.5
    second = vantor.run(p)
    path = tmp_path / "two.nwb"
    vantor.save_nwb([first, second], path)
    with h5py.File(path, "r") as f:
        one = f["acquisition/sweep_001"]
        # Stored in seconds: back in ms within a rounding.
        assert np.allclose(one["timestamps"][:] * 1000.0, first.t, rtol=1e-15, atol=0)
        assert np.array_equal(one["data"][:], first.v)
        assert np.array_equal(f["acquisition/sweep_002/data"][:], second.v)
        assert "gNa=" in f["acquisition/sweep_002"].attrs["stimulus_description"]
        assert len(f["units/spike_times_index"][:]) == 2
    remade = cli("run", "--from", str(path))
    assert "matches" in remade.stderr


def test_a_file_that_cannot_be_written_raises_and_leaves_the_old_one(tmp_path):
    r = vantor.run(vantor.Parameters())
    with pytest.raises(TypeError):
        vantor.save_nwb([object()], tmp_path / "b.nwb")
    with pytest.raises(vantor.FileError, match="No such file"):
        r.to_nwb(tmp_path / "missing" / "a.nwb")
    kept = tmp_path / "kept.nwb"
    kept.write_bytes(b"old")
    os.chmod(tmp_path, 0o500)
    try:
        if os.access(tmp_path, os.W_OK):
            pytest.skip("running as a user who may write anywhere")
        with pytest.raises(vantor.FileError):
            r.to_nwb(kept)
    finally:
        os.chmod(tmp_path, 0o700)
    assert kept.read_bytes() == b"old"


def test_a_clamp_family_is_one_file_remade_sweep_by_sweep(tmp_path, cli):
    p = vantor.Parameters()
    p["duration"] = 30
    s = vantor.voltage_clamp(-70, vantor.Stimulus.step(5, 25, 60)).with_family(1, [-10, 30, 70])
    runs = vantor.run(p, stimulus=s)
    assert [r.label for r in runs] == ["segment 1 -10 mV", "segment 1 30 mV", "segment 1 70 mV"]
    path = tmp_path / "vc.nwb"
    vantor.save_nwb(runs, path)
    with h5py.File(path, "r") as f:
        for n, r in enumerate(runs, start=1):
            sweep = f[f"acquisition/sweep_{n:03d}"]
            assert sweep.attrs["neurodata_type"] == "VoltageClampSeries"
            assert sweep.attrs["stimulus_description"] == r.label
            assert np.array_equal(sweep["data"][:], r["I-clamp"])
        assert "family target=1" in f["general/vantor/stimulus"][()].decode()
    assert "3 sweeps" in cli("run", "--from", str(path)).stderr
    # One member alone is remade as that run, not as the family.
    runs[2].to_nwb(tmp_path / "one.nwb")
    assert "remade run matches" in cli("run", "--from", str(tmp_path / "one.nwb")).stderr
