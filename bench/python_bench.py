#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Python module against meshio, nibabel and tetclean, as ratios in one run.

    python_bench.py TETCLEAN WORKLOAD_FOLDER

WORKLOAD_FOLDER holds make_workload's files (mesh.node, mesh.ele,
levelset.txt, params.txt). Prints, from the median of 3 runs each:
read_mesh against meshio.read on the pair in TetGen's layout, the peak
memory of read_mesh against the arrays it returns, read_volume against
nibabel on a 256 x 256 x 180 volume (.nii and .nii.gz), and clean on arrays
in memory against tetclean's whole run. Needs PYTHONPATH at the module.
"""
import os
import statistics
import subprocess
import sys
import time

import numpy as np

import levelset_prep as lp

TETCLEAN, FOLDER = sys.argv[1], sys.argv[2]
RUNS = 3


def median_time(step, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        step()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def tetgen_pair():
    """The workload's mesh with TetGen's node header: N 3 0 0."""
    node, ele = (os.path.join(FOLDER, f"tetgen.{end}") for end in ("node", "ele"))
    if not os.path.exists(node):
        with open(os.path.join(FOLDER, "mesh.node")) as source, open(node, "w") as target:
            target.write(source.readline().split()[0] + " 3 0 0\n")
            target.writelines(source)
        os.symlink(os.path.join(FOLDER, "mesh.ele"), ele)
    return node, ele


def peak_of_read(node, ele):
    """Peak resident memory a fresh process adds by read_mesh, and the arrays' bytes."""
    # From /proc: ru_maxrss would carry the forking parent's peak over exec.
    code = ("import sys, numpy, levelset_prep as lp\n"
            "def status(key):\n"
            "    return int(open('/proc/self/status').read().split(key)[1].split()[0])\n"
            "before = status('VmRSS:')\n"
            "m = lp.read_mesh(sys.argv[1], sys.argv[2])\n"
            "print((status('VmHWM:') - before) * 1024, 24 * len(m.nodes) + 20 * len(m.tets))\n")
    run = subprocess.run([sys.executable, "-c", code, node, ele], capture_output=True, text=True,
                         check=True)
    return [int(value) for value in run.stdout.split()]


def mesh_figures():
    import meshio
    node, ele = tetgen_pair()
    ours = median_time(lambda: lp.read_mesh(node, ele))
    theirs = median_time(lambda: meshio.read(node, file_format="tetgen"), runs=1)
    print(f"read_mesh {ours:.3f} s, meshio.read {theirs:.3f} s: meshio / read_mesh = "
          f"{theirs / ours:.1f}")
    peak, arrays = peak_of_read(node, ele)
    print(f"read_mesh peak {peak / 2**20:.0f} MiB for arrays of {arrays / 2**20:.0f} MiB: "
          f"{peak / arrays:.2f}")


def volume_figures():
    import nibabel as nib
    values = np.random.default_rng(1).integers(0, 5, (256, 256, 180)).astype(np.int16)
    for ending in (".nii", ".nii.gz"):
        name = os.path.join(FOLDER, "volume" + ending)
        nib.save(nib.Nifti1Image(values, np.eye(4)), name)
        ours = median_time(lambda: lp.read_volume(name, signed_16bit=True))
        theirs = median_time(
            lambda: np.asarray(nib.load(name).dataobj.get_unscaled(), dtype=np.float32))
        print(f"read_volume {ending} {ours:.3f} s, nibabel {theirs:.3f} s: "
              f"nibabel / read_volume = {theirs / ours:.1f}")


def clean_figures():
    files = [os.path.join(FOLDER, n) for n in ("mesh.node", "mesh.ele", "levelset.txt",
                                               "params.txt")]
    mesh = lp.read_mesh(*files[:2])
    grid = lp.read_level_set(*files[2:])
    ours = median_time(lambda: lp.clean(mesh, grid))
    outputs = [os.path.join(FOLDER, n) for n in ("out.node", "out.ele")]
    program = median_time(lambda: subprocess.run(
        [TETCLEAN, "-q", *files[:2], *outputs, *files[2:]], check=True))
    print(f"clean {ours:.3f} s, tetclean run {program:.3f} s: clean / run = "
          f"{ours / program:.2f}")


mesh_figures()
volume_figures()
clean_figures()
