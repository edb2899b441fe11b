#!/usr/bin/python3
"""Times NEURON on the 10 s tonic run of the built-in cell (2 nA base current)
with Crank-Nicolson at dt 0.025 ms and with CVODE at several tolerances, and
gives each run's worst spike-time error against reference spike times.

  apt-get install neuron neuron-dev python3-neuron
  nrnivmodl -loadflags "-L/usr/lib/nrn -Wl,-rpath,/usr/lib/nrn"   (beside vantor_cell.mod;
      Debian's nrnivmodl looks for nrnmech_makefile in /usr/bin: a copy of the script with
      that path replaced by /usr/lib/nrn/nrnmech_makefile builds x86_64/libnrnmech.so)
  build/bin/vantor_accuracy --reference ref.txt
  compare.py x86_64/libnrnmech.so ref.txt
"""
import math
import sys
import time

from neuron import h

if not hasattr(h, "VantorCell"):  # NEURON loads ./x86_64 by itself
    h.nrn_load_dll(sys.argv[1])
reference = [float(x) for x in open(sys.argv[2])]

# Single precision constants, as the program keeps them.
def single(x):
    import struct
    return struct.unpack("f", struct.pack("f", x))[0]

celsius = 35.0
frt = single(96480.0 / (8.314 * (celsius + 273.0)))
phi = single(3.0 ** ((celsius - 23.5) / 10.0))
ena = single(1000.0 * math.log(single(145.0 / 31.0)) / frt)
ek = single(1000.0 * math.log(single(single(3.1) / 135.0)) / frt)

soma = h.Section(name="soma")
soma.L = soma.diam = math.sqrt(29000.0 / math.pi)  # 29000 µm², 1 µF/cm²: 0.29 nF
soma.cm = 1.0
soma.nseg = 1
cell = h.VantorCell(soma(0.5))
cell.phi, cell.frt, cell.ena, cell.ek = phi, frt, ena, ek
cell.pna = single(0.06)
cell.ko = single(3.1) / 1000.0
clamp = h.IClamp(soma(0.5))
clamp.delay, clamp.dur, clamp.amp = 0.0, 1e9, 2.0

spikes = h.Vector()
detector = h.NetCon(soma(0.5)._ref_v, None, sec=soma)
detector.threshold = 0.0
detector.record(spikes)
cvode = h.CVode()
solver = h.ParallelContext()


def run(label, variable, dt=0.025, atol=None):
    cvode.active(1 if variable else 0)
    if variable:
        cvode.atol(atol)
        cvode.rtol(0)
    else:
        h.secondorder = 2
        h.dt = dt
    solver.set_maxstep(10)
    h.finitialize(-65.0)
    start = time.perf_counter()
    solver.psolve(10000.0)  # the whole run without the per-step hoc loop
    elapsed = (time.perf_counter() - start) * 1000.0
    times = list(spikes)
    worst = max(abs(a - b) for a, b in zip(times, reference))
    print(f"| {label} | {elapsed:.0f} | {len(times)} | {worst:.2g} |")


h.load_file("stdrun.hoc")
h.tstop = 10000.0
print("| NEURON 10 s run | wall time (ms) | spikes | worst spike error (ms) |")
print("|---|---|---|---|")
run("Crank-Nicolson, dt 0.025 ms", False)
run("Crank-Nicolson, dt 0.005 ms", False, dt=0.005)
for atol in (1e-3, 1e-4, 1e-5, 1e-6, 1e-7):
    run(f"CVODE, atol {atol:g}", True, atol=atol)
