#!/usr/bin/python3
"""Both sides of the 10 s tonic run (built-in cell, 2 nA base current, 985
spikes) in one session: Model 4 at each tolerance through the engine alone
(vantor_accuracy), and NEURON's CVODE at each absolute tolerance driven from
hoc (tonic_spikes.hoc: only spike times recorded, after an untimed warm-up).
Prints one table of wall time and worst spike-time error against the same
tight reference (vantor_accuracy --reference), and for each Model 4 setting
how much longer CVODE takes for an error at least as small.

  cmake --build build --target vantor_accuracy
  bench/neuron/tonic_spikes.py [BUILD_DIR] [--repeats N]

NEURON comes from Debian (apt-get install neuron neuron-dev); without nrniv
only the Model 4 rows are printed.
"""
import argparse
import csv
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def single(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def run_constants():
    """The program's single-precision run constants of the built-in cell at 35 °C."""
    celsius = 35.0
    frt = single(96480.0 / (8.314 * (celsius + 273.0)))
    phi = single(3.0 ** ((celsius - 23.5) / 10.0))
    ena = single(1000.0 * math.log(single(145.0 / 31.0)) / frt)
    ek = single(1000.0 * math.log(single(single(3.1) / 135.0)) / frt)
    return {"phi": phi, "frt": frt, "ena": ena, "ek": ek, "pna": single(0.06),
            "ko": single(3.1) / 1000.0}


def read_times(path):
    with open(path) as f:
        return [float(x) for x in f if x.strip()]


def worst(times, reference):
    if not times:
        return math.nan
    return max(abs(a - b) for a, b in zip(times, reference))


def build_mechanism(work):
    """libnrnmech.so of vantor_cell.mod in `work`, or None."""
    shutil.copy(os.path.join(HERE, "vantor_cell.mod"), work)
    script = shutil.which("nrnivmodl")
    if script is None:
        return None
    # Debian's nrnivmodl looks for its makefile beside itself, where the
    # package does not put it.
    makefile = "/usr/lib/nrn/nrnmech_makefile"
    command = [script]
    if os.path.exists(makefile) and not os.path.exists("/usr/bin/nrnmech_makefile"):
        with open(script) as f:
            text = f.read().replace('"${bindir}/nrnmech_makefile"', '"' + makefile + '"')
        patched = os.path.join(work, "nrnivmodl.sh")
        with open(patched, "w") as f:
            f.write(text)
        command = ["bash", patched]
    # The library is all that is needed; the "special" executable may fail to link.
    subprocess.run(command + ["-loadflags", "-L/usr/lib/nrn -Wl,-rpath,/usr/lib/nrn"], cwd=work,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    library = os.path.join(work, "x86_64", "libnrnmech.so")
    return library if os.path.exists(library) else None


def neuron_rows(work, library, reference, repeats):
    command = ["nrniv", "-nobanner", "-dll", library]
    for name, value in run_constants().items():
        command += ["-c", f"c_{name}={value!r}"]
    command += ["-c", "strdef outdir", "-c", f'outdir="{work}"', "-c", f"repeats={repeats}",
                os.path.join(HERE, "tonic_spikes.hoc")]
    out = subprocess.run(command, cwd=work, capture_output=True, text=True, check=True).stdout
    rows = []
    for line in out.splitlines():
        words = line.split()
        if len(words) == 6 and words[0] == "atol":
            index = len(rows)
            times = read_times(os.path.join(work, f"spikes_{index}.txt"))
            rows.append(("NEURON CVODE", f"atol {float(words[1]):g}", float(words[3]),
                         len(times), worst(times, reference)))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    accuracy = os.path.join(args.build, "bin", "vantor_accuracy")
    if not os.access(accuracy, os.X_OK):
        sys.exit(f"{accuracy} is missing: cmake --build {args.build} --target vantor_accuracy")
    with tempfile.TemporaryDirectory(prefix="vantor-neuron-") as work:
        reference_file = os.path.join(work, "reference.txt")
        subprocess.run([accuracy, "--reference", reference_file], check=True)
        reference = read_times(reference_file)
        points = os.path.join(work, "points.csv")
        subprocess.run([accuracy, points, "4"], check=True, stdout=subprocess.DEVNULL)
        rows = []
        with open(points, newline="") as f:
            for r in csv.DictReader(f):
                if r["run"] == "10 s tonic":
                    rows.append(("Model 4", r["setting"], float(r["ms"]), int(r["spikes"]),
                                 float(r["worst_ms"])))
        vantor = list(rows)
        skipped = None
        if shutil.which("nrniv") is None:
            skipped = "nrniv not found (apt-get install neuron neuron-dev): NEURON not run"
        else:
            library = build_mechanism(work)
            if library is None:
                skipped = "vantor_cell.mod could not be built (nrnivmodl, neuron-dev): NEURON not run"
            else:
                rows += neuron_rows(work, library, reference, args.repeats)
    print(f"10 s tonic run, reference {len(reference)} spikes\n")
    print("| system | setting | wall time (ms) | spikes | worst spike error (ms) |")
    print("|---|---|---|---|---|")
    for system, setting, ms, spikes, error in rows:
        print(f"| {system} | {setting} | {ms:.3g} | {spikes} | {error:.2g} |")
    if skipped:
        print("\n" + skipped)
        return
    cvode = [r for r in rows if r[0] != "Model 4"]
    print()
    for _, setting, ms, _, error in vantor:
        # The quickest CVODE run at least as accurate.
        matches = [r for r in cvode if r[4] <= error]
        if matches:
            best = min(matches, key=lambda r: r[2])
            print(f"Model 4 at {setting} ({error:.2g} ms): CVODE at {best[1]} "
                  f"({best[4]:.2g} ms) takes {best[2] / ms:.1f} times as long")
        else:
            print(f"Model 4 at {setting} ({error:.2g} ms): no CVODE setting here is as accurate")


if __name__ == "__main__":
    main()
