#!/usr/bin/python3
"""Checks the clamp analyses against NEURON on the built-in cell (Na, K and the
two leaks; the other channels are off in the built-in set): the voltage-clamp
I-V family (peak and steady-state current per level), the rheobase of a
current ramp, and the response to a chirp (the potential and the impedance
profile). NEURON runs clamp_cell.hoc with SEClamp and IClamp + Vector.play on
the point process of vantor_cell.mod; the program runs the same protocols
through vantor-cli iv, rheobase, run and impedance. Prints Markdown tables.

  apt-get install neuron neuron-dev
  bench/neuron/clamp_compare.py [build/bin/vantor-cli]

Skips (status 0) when nrniv is not installed. Builds the mechanism in a
temporary folder (Debian's nrnivmodl looks for nrnmech_makefile in /usr/bin;
a copy of the script pointing at /usr/lib/nrn builds x86_64/libnrnmech.so).
"""
import csv
import io
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import numpy

here = os.path.dirname(os.path.abspath(__file__))
cli = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                      os.path.join(here, "..", "..", "build", "bin", "vantor-cli"))
if shutil.which("nrniv") is None:
    print("nrniv not found (apt-get install neuron neuron-dev): skipped")
    sys.exit(0)


def single(x):  # the program keeps these constants in single precision
    return struct.unpack("f", struct.pack("f", x))[0]


celsius = 35.0
frt = single(96480.0 / (8.314 * (celsius + 273.0)))
constants = {
    "PHI": single(3.0 ** ((celsius - 23.5) / 10.0)),
    "FRT": frt,
    "ENA": single(1000.0 * math.log(single(145.0 / 31.0)) / frt),
    "EK": single(1000.0 * math.log(single(single(3.1) / 135.0)) / frt),
    "KO": single(3.1) / 1000.0,
}

work = tempfile.mkdtemp(prefix="vantor-clamp-")
shutil.copy(os.path.join(here, "vantor_cell.mod"), work)
with open("/usr/bin/nrnivmodl") as f:
    script = f.read().replace('"${bindir}/nrnmech_makefile"', '"/usr/lib/nrn/nrnmech_makefile"')
with open(os.path.join(work, "nrnivmodl"), "w") as f:
    f.write(script)
subprocess.run(["bash", "nrnivmodl", "-loadflags", "-L/usr/lib/nrn -Wl,-rpath,/usr/lib/nrn"],
               cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
mechanism = os.path.join(work, "x86_64", "libnrnmech.so")  # the library builds, "special" need not
if not os.path.exists(mechanism):
    sys.exit("the mechanism did not build in " + work)


def neuron(mode, **values):
    args = ["nrniv", "-nobanner", "-dll", mechanism]
    for name, value in {**constants, "MODE": mode, **values}.items():
        args += ["-c", f"{name}={value!r}" if not isinstance(value, str) else f'strdef {name}']
        if isinstance(value, str):
            args += ["-c", f'{name}="{value}"']
    args.append(os.path.join(here, "clamp_cell.hoc"))
    out = subprocess.run(args, cwd=work, capture_output=True, text=True, check=True).stdout
    return [line for line in out.splitlines() if line and line[0] in "-0123456789n"]


def vantor(*args):
    return subprocess.run([cli, *args], cwd=work, capture_output=True, text=True, check=True)


# 1. The I-V family: held at -80 mV, steps to -70 .. +50 mV from 10 to 60 ms.
rows = vantor("iv", "--hold", "-80", "--steps", "-70:50:13", "--method", "4",
              "--tolerance", "1e-8", "--out", "-").stdout
ours = {float(r[0]): (float(r[1]), float(r[3])) for r in list(csv.reader(io.StringIO(rows)))[1:]}
theirs = {}
for line in neuron(1, HOLD=-80, FROM=-70, TO=50, COUNT=13, ONSET=10, OFFSET=60, TSTOP=80):
    level, peak, steady = (float(x) for x in line.split())
    theirs[level] = (peak, steady)


def agree(a, b):
    return abs(a - b) <= max(0.01 * abs(b), 0.05)


print("| level (mV) | peak, program (nA) | peak, NEURON (nA) | steady, program (nA) "
      "| steady, NEURON (nA) | within 1 % or 0.05 nA |")
print("|---|---|---|---|---|---|")
worst = 0.0
for level in sorted(ours):
    (p, s), (q, u) = ours[level], theirs[level]
    worst = max(worst, abs(p - q) / max(abs(q), 5.0), abs(s - u) / max(abs(u), 5.0))
    print(f"| {level:g} | {p:.4f} | {q:.4f} | {s:.4f} | {u:.4f} | "
          f"{'yes' if agree(p, q) and agree(s, u) else 'NO'} |")
print(f"\nlargest difference: {100 * worst:.3f} % (of the NEURON value, at least 5 nA)\n")

# 2. The rheobase of a ramp from 0 to 4 nA over 200 ms from 10 ms.
said = vantor("rheobase", "--ramp", "0:4:200", "--method", "4", "--tolerance", "1e-8").stdout
ourCurrent, ourTime = float(said.split()[1]), float(said.split()[4])
theirTime = float(neuron(2, RFROM=0, RTO=4, ONSET=10, DURATION=200)[0])
theirCurrent = 0.02 * (theirTime - 10)
print("| ramp 0 to 4 nA over 200 ms | first spike (ms) | rheobase (nA) |")
print("|---|---|---|")
print(f"| program | {ourTime:.4f} | {ourCurrent:.5f} |")
print(f"| NEURON (dt 0.0025 ms) | {theirTime:.4f} | {theirCurrent:.5f} |\n")

# 3. A chirp of 0.2 nA from 0.5 to 30 Hz over 2 s from 200 ms, the cell at rest.
f0, f1, onset, length, amplitude = 0.5, 30.0, 200.0, 2000.0, 0.2
with open(os.path.join(work, "chirp.vtp"), "w") as f:
    f.write("vantor-stimulus 1\nclamp current\n"
            f"chirp onset={onset:g} offset={onset + length:g} amplitude={amplitude:g} "
            f"f0={f0:g} f1={f1:g}\n")
run = vantor("run", "--set", f"duration={onset + length:g}", "--set", "step=0", "--stimulus",
             "chirp.vtp", "--method", "4", "--tolerance", "1e-8", "--dt", "0.1", "--csv", "-",
             "-q").stdout
table = list(csv.reader(io.StringIO(run)))
t = numpy.array([float(r[0]) for r in table[1:]])
v = numpy.array([float(r[1]) for r in table[1:]])
drive = numpy.array([float(r[2]) for r in table[1:]])
tau = numpy.clip(t - onset, 0, length) / 1000.0
T = length / 1000.0
formula = numpy.where((t > onset) & (t < onset + length),
                      amplitude * numpy.sin(2 * math.pi * (f0 * tau + (f1 - f0) * tau ** 2 / (2 * T))),
                      0.0)
fine = numpy.arange(0, onset + length + 0.005, 0.01)
tf = numpy.clip(fine - onset, 0, length) / 1000.0
played = numpy.where((fine > onset) & (fine < onset + length),
                     amplitude * numpy.sin(2 * math.pi * (f0 * tf + (f1 - f0) * tf ** 2 / (2 * T))), 0.0)
numpy.savetxt(os.path.join(work, "chirp.txt"), numpy.column_stack([fine, played]), fmt="%.9g")
neuron(3, WAVE="chirp.txt", OUT="v.txt", TSTOP=onset + length)
vn = numpy.loadtxt(os.path.join(work, "v.txt"))[: len(v)]


def profile(vs):  # |FFT(V)| / |FFT(I)| over the chirp, both with their means removed
    inside = (t >= onset) & (t < onset + length)
    V = numpy.fft.rfft(vs[inside] - vs[inside].mean())
    I = numpy.fft.rfft(formula[inside] - formula[inside].mean())
    f = numpy.fft.rfftfreq(inside.sum(), 0.1e-3)
    keep = (f >= f0) & (f <= f1)
    return f[keep], numpy.abs(V[keep]) / numpy.abs(I[keep])


f, zo = profile(v)
_, zn = profile(vn)
zcli = numpy.loadtxt(io.StringIO(vantor("impedance", "--chirp", f"{f0:g}:{f1:g}:{length:g}:{amplitude:g}",
                                        "--onset", f"{onset:g}", "--method", "4", "--out", "-").stdout),
                     delimiter=",", skiprows=1)
print("| chirp 0.2 nA, 0.5 to 30 Hz over 2 s | value |")
print("|---|---|")
print(f"| the program's drive against the chirp's formula, largest difference | "
      f"{numpy.abs(drive - formula).max():.2g} nA |")
print(f"| V, program against NEURON: largest difference | {numpy.abs(v - vn).max():.3g} mV |")
print(f"| V, program against NEURON: RMS difference | {numpy.sqrt(((v - vn) ** 2).mean()):.3g} mV |")
print(f"| V swing over the chirp (program) | {v[t > onset].max() - v[t > onset].min():.3g} mV |")
for at in (1.0, 5.0, 10.0, 20.0, 30.0):
    k = numpy.argmin(abs(f - at))
    j = numpy.argmin(abs(zcli[:, 0] - at))
    print(f"| \\|Z\\| at {f[k]:g} Hz: program trace / NEURON trace / vantor-cli impedance | "
          f"{zo[k]:.4f} / {zn[k]:.4f} / {zcli[j, 1]:.4f} MOhm |")
print(f"| largest \\|Z\\| difference, program against NEURON traces | "
      f"{100 * numpy.abs(zo - zn).max() / zn.max():.3f} % of the largest |")
shutil.rmtree(work)
