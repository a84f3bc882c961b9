#!/usr/bin/env python3
"""Times Tessaloc's distances over a resistance surface beside an independent scipy implementation.

On a 200 x 200 surface with 100 locations (8 neighbours) it writes the surface as an ESRI ASCII
grid and the locations as a coordinate file and runs tessaloc_resistance_distances for circuit
resistance and least-cost paths: "tessaloc" is the time the program reports from opening the
surface to the finished matrix (reading the cells with GDAL included), "whole run" the wall time of
the process (starting it, loading GDAL's drivers, writing the matrix). scipy does the same run:
reading the grid (numpy.loadtxt), then the grounded graph Laplacian factored by
scipy.sparse.linalg.splu (with the minimum degree ordering of A + A', its best for a symmetric
matrix) and solved for all locations at once, or scipy.sparse.csgraph.dijkstra from every
location; "scipy, in memory" leaves the reading out. The ratio is scipy's time over Tessaloc's,
both from the file to the matrix ("in memory": scipy's without the reading). Both must give the
same numbers. Then Tessaloc runs alone on 1000 x 1000 with 500 locations, with the peak memory of
each run (with --large-scipy scipy runs there too, which takes minutes and several GB).

The surface: resistances uniform in [1, 10) with a row of impassable cells across the middle,
crossed by two bridges; locations on passable cells; all from a fixed seed.

Needs Debian's python3-scipy and a release build:
    cmake --preset release && cmake --build --preset release
    /usr/bin/python3 bench/resistance/compare_scipy.py [build/release/bench/resistance/tessaloc_resistance_distances]
"""

import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import scipy.sparse as sparse
from scipy.sparse import csgraph
from scipy.sparse.linalg import splu

NEIGHBOURS = [(0, 1, 1.0), (1, 0, 1.0), (1, 1, np.sqrt(2.0)), (1, -1, np.sqrt(2.0))]


def make_landscape(size, locations, seed=2027):
    rng = np.random.default_rng(seed)
    resistance = rng.uniform(1.0, 10.0, (size, size))
    river = size // 2
    bridges = {size // 4, 3 * size // 4}
    for column in range(size):
        if column not in bridges:
            resistance[river, column] = np.nan
    cells = []
    while len(cells) < locations:
        cell = int(rng.integers(0, size * size))
        if not np.isnan(resistance.flat[cell]):
            cells.append(cell)
    return resistance, cells


def write_files(folder, resistance, cells):
    size = resistance.shape[0]
    surface = os.path.join(folder, f"surface{size}.asc")
    with open(surface, "w") as out:
        out.write(f"ncols {size}\nnrows {size}\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n")
        np.savetxt(out, np.where(np.isnan(resistance), -9999.0, resistance), fmt="%.17g")
    coordinates = os.path.join(folder, f"locations{size}.txt")
    with open(coordinates, "w", newline="") as out:
        for k, cell in enumerate(cells):
            row, column = divmod(cell, size)
            out.write(f"L{k + 1},{column + 0.5},{size - row - 0.5}\r\n")
        out.write(";\r\n")
    return surface, coordinates


def graph_edges(resistance):
    """Both ends and the step factor of every pair of passable neighbours (8 neighbours)."""
    rows, columns = resistance.shape
    index = np.arange(rows * columns).reshape(rows, columns)
    flat = resistance.ravel()
    firsts, seconds, factors = [], [], []
    for dr, dc, factor in NEIGHBOURS:
        a = index[0:rows - dr, max(0, -dc):columns - max(0, dc)].ravel()
        b = index[dr:rows, max(0, dc):columns + min(0, dc)].ravel()
        keep = ~np.isnan(flat[a]) & ~np.isnan(flat[b])
        firsts.append(a[keep])
        seconds.append(b[keep])
        factors.append(np.full(keep.sum(), factor))
    return np.concatenate(firsts), np.concatenate(seconds), np.concatenate(factors)


def scipy_circuit(resistance, cells):
    flat = resistance.ravel()
    a, b, factor = graph_edges(resistance)
    conductance = 1.0 / ((flat[a] + flat[b]) / 2.0 * factor)
    n = flat.size
    weights = sparse.coo_matrix((conductance, (a, b)), shape=(n, n)).tocsr()
    weights = weights + weights.T
    # Only the part joined to the first location, grounded at its cell.
    _, labels = csgraph.connected_components(weights, directed=False)
    part = np.flatnonzero(labels == labels[cells[0]])
    laplacian = sparse.diags(np.asarray(weights.sum(axis=1)).ravel()) - weights
    keep = part[part != cells[0]]
    grounded = laplacian.tocsr()[keep][:, keep].tocsc()
    position = np.full(n, -1)
    position[keep] = np.arange(keep.size)
    right = np.zeros((keep.size, len(cells)))
    for k, cell in enumerate(cells):
        if cell != cells[0]:
            right[position[cell], k] = 1.0
    solved = splu(grounded, permc_spec="MMD_AT_PLUS_A").solve(right)
    voltages = np.zeros((len(cells), len(cells)))
    for k, cell in enumerate(cells):
        if cell != cells[0]:
            voltages[k] = solved[position[cell]]
    diagonal = np.diag(voltages)
    return diagonal[:, None] + diagonal[None, :] - voltages - voltages.T


def scipy_least_cost(resistance, cells):
    flat = resistance.ravel()
    a, b, factor = graph_edges(resistance)
    cost = (flat[a] + flat[b]) / 2.0 * factor
    graph = sparse.coo_matrix((cost, (a, b)), shape=(flat.size, flat.size)).tocsr()
    distances = csgraph.dijkstra(graph, directed=False, indices=cells)
    return distances[:, cells]


def read_grid(path):
    """An ESRI ASCII grid as written above: the resistances, NaN where no data."""
    with open(path) as grid:
        header = dict(grid.readline().split() for _ in range(6))
        values = np.loadtxt(grid)
    values[values == float(header["NODATA_value"])] = np.nan
    return values


def read_matrix(path):
    with open(path, newline="") as csv:
        rows = csv.read().split("\r\n")[1:-1]
    return np.array([[float(v) for v in row.split(",")[1:]] for row in rows])


def run_tessaloc(tool, kind, surface, coordinates, output):
    """The time the tool reports, the wall time of its process and its peak resident memory (MB).

    The peak comes from GNU time (Debian package time): the child's own rusage would also count
    the pages of this Python process that it shares until it starts the tool."""
    timer = ["/usr/bin/time", "-f", "%M"] if os.path.exists("/usr/bin/time") else []
    start = time.perf_counter()
    done = subprocess.run(timer + [tool, kind, surface, coordinates, output], capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{tool} {kind} failed: {done.stderr}")
    peak = float(done.stderr.split()[-1]) / 1024 if timer else float("nan")
    return float(done.stdout), elapsed, peak


def best_of(runs, action):
    best = float("inf")
    result = None
    for _ in range(runs):
        start = time.perf_counter()
        result = action()
        best = min(best, time.perf_counter() - start)
    return best, result


def largest_difference(ours, theirs):
    scale = np.maximum(np.abs(theirs), 1e-300)
    relative = np.abs(ours - theirs) / scale
    np.fill_diagonal(relative, 0.0)
    return relative.max()


def main():
    tool = sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1].startswith("--") else \
        "build/release/bench/resistance/tessaloc_resistance_distances"
    tool = os.path.abspath(tool)
    large_scipy = "--large-scipy" in sys.argv
    kinds = [("resistance", "circuit resistance", scipy_circuit), ("least-cost", "least-cost paths", scipy_least_cost)]
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "distances.csv")
        print(f"{'surface':>11} {'locations':>9} {'distances':>19} {'tessaloc (s)':>13} {'whole run (s)':>14} "
              f"{'scipy (s)':>10} {'scipy, in memory (s)':>21} {'ratio':>6} {'in memory':>10} "
              f"{'largest rel. diff.':>19} {'peak (MB)':>10}")
        for size, locations, runs, with_scipy in ((200, 100, 5, True), (1000, 500, 1, large_scipy)):
            resistance, cells = make_landscape(size, locations)
            surface, coordinates = write_files(folder, resistance, cells)
            for kind, name, reference in kinds:
                ours = min(run_tessaloc(tool, kind, surface, coordinates, output) for _ in range(runs))
                line = f"{size:>5} x {size:<5} {locations:>9} {name:>19} {ours[0]:>13.2f} {ours[1]:>14.2f}"
                if with_scipy:
                    whole, expected = best_of(runs, lambda: reference(read_grid(surface), cells))
                    in_memory, _ = best_of(runs, lambda: reference(resistance, cells))
                    difference = largest_difference(read_matrix(output), expected)
                    line += (f" {whole:>10.2f} {in_memory:>21.2f} {whole / ours[0]:>6.1f} {in_memory / ours[0]:>10.1f}"
                             f" {difference:>19.1e}")
                else:
                    line += f" {'-':>10} {'-':>21} {'-':>6} {'-':>10} {'-':>19}"
                print(line + f" {ours[2]:>10.0f}", flush=True)


if __name__ == "__main__":
    main()
