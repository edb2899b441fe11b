#!/bin/sh
# An MPI sweep on three ranks writes the same file as one thread does.
# Usage: mpi_sweep.sh MPIRUN VANTOR-CLI
set -eu
mpirun=$1
cli=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/vantor-mpi-sweep.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"
grid="--set duration=30 --set offset=25 --vary gA=0:2:3 --vary gK=1,2,3 --vary step=0:3:3"
# shellcheck disable=SC2086
"$cli" sweep $grid --out threads.csv --jobs 1 -q
root=""
[ "$(id -u)" -eq 0 ] && root="--allow-run-as-root"
# shellcheck disable=SC2086
"$mpirun" $root --oversubscribe -n 3 "$cli" sweep $grid --out mpi.csv --mpi -q
cmp threads.csv mpi.csv
[ "$(wc -l < mpi.csv)" -eq 29 ]
[ ! -e mpi.csv.part ]
echo "MPI sweep on 3 ranks: same 27 rows as one thread"
