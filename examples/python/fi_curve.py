#!/usr/bin/env python3
"""The default cell's f-I curve and three voltage traces, drawn into a PNG.

    PYTHONPATH=build/python python3 examples/python/fi_curve.py [out.png]
"""
import sys

import matplotlib
matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt
import numpy as np

import vantor

out = sys.argv[1] if len(sys.argv) > 1 else "fi_curve.png"
params = vantor.Parameters()
# A 500 ms step instead of the built-in 50 ms one: finer steps of the rate.
params["duration"] = 600
params["onset"] = 50
params["offset"] = 550

# The firing rate over the step, for 31 step currents from 0 to 3 nA.
rows = vantor.sweep(params, vary={"step": np.linspace(0, 3, 31)}, frame=False)

fig, (fi, traces) = plt.subplots(1, 2, figsize=(11, 4.2), constrained_layout=True)
fi.plot(rows["step"], rows["rate_hz"], "o-", color="tab:blue", markersize=4)
fi.set_xlabel("step current (nA)")
fi.set_ylabel("firing rate (Hz)")
fi.set_title("f-I curve, 500 ms step")
fi.grid(alpha=0.3)

for current, colour in zip((1.5, 2.0, 3.0), ("tab:gray", "tab:orange", "tab:red")):
    p = params.copy()
    p["step"] = current
    r = vantor.run(p)
    traces.plot(r.t, r["V-m"], color=colour, lw=1,
                label=f"{current:g} nA: {len(r.spikes)} spikes")
traces.set_xlabel("time (ms)")
traces.set_ylabel("V-m (mV)")
traces.set_xlim(0, 130)
traces.set_title("the first 80 ms of the step")
traces.legend(loc="upper right", fontsize=8)

fig.savefig(out, dpi=90)
print(f"wrote {out}")
