#!/usr/bin/env python3
"""vantor-cli run --nwb, --from and --meta, through the program: the NWB
file is valid, holds the CSV's samples, remakes its own run, and a changed
or foreign file is told apart; the other outputs name the same inputs."""
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import h5py
    import numpy as np
except ImportError:
    sys.exit(77)  # skipped: no h5py here

cli, validator = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])


def run(folder, *args):
    return subprocess.run([cli, *args], cwd=folder, capture_output=True, text=True)


with tempfile.TemporaryDirectory() as folder:
    made = run(folder, "run", "-q", "--set", "duration=200", "--nwb", "a.nwb", "--csv", "a.csv")
    assert made.returncode == 0, made.stderr
    if os.path.exists(validator):
        valid = subprocess.run(["/usr/bin/python3", validator, "a.nwb"], cwd=folder,
                               capture_output=True, text=True)
        assert valid.returncode == 0, valid.stdout + valid.stderr

    with open(os.path.join(folder, "a.csv"), encoding="utf-8") as f:
        header = [name.strip('"') for name in f.readline().rstrip("\n").split(",")]
    table = np.loadtxt(os.path.join(folder, "a.csv"), delimiter=",", skiprows=1)
    column = {name: table[:, i] for i, name in enumerate(header)}

    with h5py.File(os.path.join(folder, "a.nwb"), "r") as f:
        series = [f["acquisition/sweep_001"], f["stimulus/presentation/sweep_001"]]
        series += list(f["processing/traces"].values())
        assert len(series) == len(header) - 1
        for s in series:
            # Methods 1 to 3 keep single-precision samples; the CSV writes
            # them to nine digits, which read back the same.
            times = (s["timestamps"][:] * 1000.0).astype(np.float32)
            assert np.array_equal(times, column["time (ms)"].astype(np.float32))
            label = s.attrs["comments"]
            assert np.array_equal(s["data"][:].astype(np.float32),
                                  column[label].astype(np.float32)), label
        assert f["acquisition/sweep_001/data"].attrs["unit"] == "volts"
        spikes = f["units/spike_times"][:]
        assert len(spikes) > 0 and np.all(np.diff(spikes) > 0)

    same = run(folder, "run", "--from", "a.nwb")
    assert same.returncode == 0 and "matches" in same.stderr, same.stderr

    # A parameter changed behind the program's back: warned of, and the run differs.
    shutil.copy(os.path.join(folder, "a.nwb"), os.path.join(folder, "b.nwb"))
    with h5py.File(os.path.join(folder, "b.nwb"), "r+") as f:
        names = [n.decode() for n in f["general/vantor/parameter_names"][:]]
        f["general/vantor/parameter_values"][names.index("gNa")] *= 0.5
    changed = run(folder, "run", "--from", "b.nwb")
    assert changed.returncode == 1, changed.stderr
    assert "fingerprint" in changed.stderr and "differs" in changed.stderr, changed.stderr

    # HDF5 seeks in its file (and crashed writing to /dev/null): devices are refused.
    device = run(folder, "run", "-q", "--nwb", "/dev/null")
    assert device.returncode == 2 and "not a device" in device.stderr, device.stderr

    foreign = run(folder, "run", "--from", "a.csv")
    assert foreign.returncode == 1 and "not an NWB file" in foreign.stderr, foreign.stderr
    with h5py.File(os.path.join(folder, "c.nwb"), "w") as f:
        f.attrs["nwb_version"] = "2.5.0"
    alien = run(folder, "run", "--from", "c.nwb")
    assert alien.returncode == 1 and "c.nwb" in alien.stderr, alien.stderr

    # Damaged files (the HDF5 library crashes on some): a message, never a crash.
    import random
    random.seed(7)
    original = open(os.path.join(folder, "a.nwb"), "rb").read()
    for _ in range(40):
        damaged = bytearray(original)
        for _ in range(random.choice([1, 4, 16])):
            damaged[random.randrange(len(damaged))] = random.randrange(256)
        with open(os.path.join(folder, "d.nwb"), "wb") as f:
            f.write(damaged)
        remade = run(folder, "run", "--from", "d.nwb")
        assert remade.returncode in (0, 1) and remade.stderr, (remade.returncode, remade.stderr)

    # A voltage-clamp family: one sweep per level, each a VoltageClampSeries of
    # the clamp current with its command, remade sweep by sweep from the file.
    with open(os.path.join(folder, "vc.vtp"), "w", encoding="utf-8") as f:
        f.write("vantor-stimulus 1\nclamp voltage\nholding -70\n"
                "step onset=5 offset=25 level=60\nfamily target=1 values=-10,30,70\n")
    family = run(folder, "run", "-q", "--set", "duration=30", "--stimulus", "vc.vtp",
                 "--nwb", "vc.nwb", "--csv", "vc.csv")
    assert family.returncode == 0, family.stderr
    if os.path.exists(validator):
        valid = subprocess.run(["/usr/bin/python3", validator, "vc.nwb"], cwd=folder,
                               capture_output=True, text=True)
        assert valid.returncode == 0, valid.stdout + valid.stderr
    table = np.loadtxt(os.path.join(folder, "vc.csv"), delimiter=",", skiprows=1)
    with h5py.File(os.path.join(folder, "vc.nwb"), "r") as f:
        assert sorted(f["acquisition"]) == ["sweep_001", "sweep_002", "sweep_003"]
        assert "family target=1" in f["general/vantor/stimulus"][()].decode()
        for n, level in enumerate(["-10", "30", "70"], start=1):
            response = f[f"acquisition/sweep_{n:03d}"]
            command = f[f"stimulus/presentation/sweep_{n:03d}"]
            assert response.attrs["neurodata_type"] == "VoltageClampSeries"
            assert command.attrs["neurodata_type"] == "VoltageClampStimulusSeries"
            assert f"segment 1 {level} mV" in response.attrs["stimulus_description"]
            rows = table[table[:, -1] == n]
            assert np.array_equal(response["data"][:].astype(np.float32),
                                  rows[:, -2].astype(np.float32))
            # The command is the holding level and, during the step, the step's.
            assert set(np.unique(command["data"][:])) == {-70.0, -70.0 + float(level)}
    remade = run(folder, "run", "--from", "vc.nwb")
    assert remade.returncode == 0 and "3 sweeps" in remade.stderr, remade.stderr
    with h5py.File(os.path.join(folder, "vc.nwb"), "r+") as f:
        del f["acquisition/sweep_003"]
    shorter = run(folder, "run", "--from", "vc.nwb")
    assert shorter.returncode == 1 and "sweep 3" in shorter.stderr, shorter.stderr

    # The shorter provenance: only asked for in the CSV, always in pictures.
    plain = run(folder, "run", "-q", "--set", "duration=50", "--csv", "p.csv")
    meta = run(folder, "run", "-q", "--set", "duration=50", "--meta", "m.json", "--csv", "m.csv",
               "--nwb", "m.nwb")
    assert plain.returncode == 0 and meta.returncode == 0, plain.stderr + meta.stderr
    with open(os.path.join(folder, "p.csv"), encoding="utf-8") as f:
        assert f.readline().startswith("time (ms),")
    with open(os.path.join(folder, "m.csv"), encoding="utf-8") as f:
        comment = f.readline()
        assert comment.startswith("# Vantor ") and "duration=50" in comment, comment
        assert f.readline().startswith("time (ms),")
    import json
    with open(os.path.join(folder, "m.json"), encoding="utf-8") as f:
        described = json.load(f)
    with h5py.File(os.path.join(folder, "m.nwb"), "r") as f:
        fingerprint = f["general/vantor/fingerprint"][()].decode()
    assert described["fingerprint"] == fingerprint and fingerprint in comment
    assert len(described["parameters"]) == 54
    assert {"name": "duration", "value": 50, "unit": "ms"}.items() <= described["parameters"][0].items()
print("ok")
