"""The include rules of the source tree: which area may include what.

Front ends (the window, the command line, the Python module) and the devices
reach the core and the drawing area only through their public headers
(include/vantor/...); the core and the drawing area know no Qt and nothing
above them; no two modules include each other.
"""
import os
import re
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

# area folder -> the quoted include prefixes it may use besides "vantor/"
ALLOWED = {
    "include/vantor": [],
    "src/core": ["text/", "files/", "params/", "engine/", "analysis/", "sweep/"],
    "src/render": ["render/"],
    "src/nwb": ["nwb/"],
    "src/device": ["device/"],
    "src/cli": ["cli/", "device/"],
    "src/app": ["app/", "device/"],
    "python/src": ["support.h", "measure_arguments.h"],
}
QT_FREE = ("include/vantor", "src/core", "src/render", "src/nwb")
# Where no two modules (a .h with its .cpp) may include each other.
CYCLE_FREE = ("include/vantor", "src/core", "src/render")


def sources(folder):
    for base, _, files in os.walk(os.path.join(ROOT, folder)):
        for name in files:
            if name.endswith((".h", ".cpp")):
                yield os.path.join(base, name)


def main():
    faults = []
    edges = {}
    for area, prefixes in ALLOWED.items():
        for path in sources(area):
            rel = os.path.relpath(path, ROOT)
            text = open(path, encoding="utf-8", errors="replace").read()
            for kind, name in INCLUDE.findall(text):
                if kind == "<":
                    if area in QT_FREE and re.match(r"Q[A-Za-z]+$|Qt", name):
                        faults.append(f"{rel}: Qt header <{name}> in a standard-library area")
                    continue
                if name.startswith("vantor/"):
                    if not os.path.exists(os.path.join(ROOT, "include", name)):
                        faults.append(f'{rel}: "{name}" is not a public header')
                elif not any(name.startswith(p) for p in prefixes):
                    faults.append(f'{rel}: includes "{name}", which {area} may not reach')
                if rel.startswith(CYCLE_FREE):
                    here = os.path.splitext(os.path.basename(rel))[0]
                    there = os.path.splitext(os.path.basename(name))[0]
                    if here != there:
                        edges.setdefault(here, set()).add(there)
    # Modules of the core and the drawing area that include each other.
    for a, targets in sorted(edges.items()):
        for b in sorted(targets):
            if a < b and a in edges.get(b, set()):
                faults.append(f"{a} and {b} include each other")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
