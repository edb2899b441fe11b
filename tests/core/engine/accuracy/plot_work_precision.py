#!/usr/bin/python3
"""Log-log plot of worst spike-time error against wall time from the points
that vantor_accuracy writes:  plot_work_precision.py points.csv out.png"""
import csv
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt

rows = list(csv.DictReader(open(sys.argv[1])))
runs = list(dict.fromkeys(r["run"] for r in rows))
fig, axes = plt.subplots(1, len(runs), figsize=(5.5 * len(runs), 4.2))
styles = {"1": "o-", "2": "s-", "3": "^-", "4": "D-"}
for ax, run in zip(axes, runs):
    for method in "1234":
        pts = [(float(r["ms"]), float(r["worst_ms"])) for r in rows
               if r["run"] == run and r["method"] == method and float(r["worst_ms"]) > 0]
        if pts:
            xs, ys = zip(*pts)
            ax.loglog(xs, ys, styles[method], label=f"method {method}", markersize=4)
    ax.axhline(0.01, color="grey", linestyle=":", linewidth=1)
    ax.set_title(run)
    ax.set_xlabel("wall time of the run (ms)")
    ax.set_ylabel("worst spike-time error (ms)")
    ax.grid(True, which="both", linewidth=0.3)
    ax.legend(fontsize=8)
fig.tight_layout()
fig.savefig(sys.argv[2], dpi=80)
