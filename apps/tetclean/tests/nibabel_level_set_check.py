#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""tetclean on level-set grids that nibabel writes as NIfTI-1 files.

    nibabel_level_set_check.py TETCLEAN EXAMPLES_FOLDER WORK_FOLDER

The bundled level set, saved by nibabel as float32 (.nii and .nii.gz),
float64, int16 with scl_slope and scl_inter, and big-endian float32, must
clean the bundled mesh exactly as the values nibabel reads back (as 32-bit
floats) do when written as text: the same console lines and output bytes.
A header with the grid's geometry says nothing; one with an identity affine
gives one notice and the same outputs.

Exits 77 (skipped) when nibabel or numpy cannot be imported (Debian package
python3-nibabel), 1 on the first mismatch.
"""
import os
import shutil
import subprocess
import sys

try:
    import numpy as np
    import nibabel as nib
except ImportError as error:
    print(f"skipped: {error}")
    sys.exit(77)

TETCLEAN, EXAMPLES, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
PARAMETERS = os.path.join(EXAMPLES, "params.txt")
SIDE = 56
GRID_AFFINE = np.array([[0.5, 0, 0, -1.5], [0, 0.5, 0, -1.5], [0, 0, 0.5, -1.5], [0, 0, 0, 1]])


def fail(what, message):
    print(f"MISMATCH {what}: {message}")
    sys.exit(1)


def clean(level_set, threads):
    """tetclean on the bundled mesh: exit status, console lines, outputs."""
    outputs = [os.path.join(WORK, name) for name in ("clean.node", "clean.ele")]
    for output in outputs:
        if os.path.exists(output):
            os.remove(output)
    run = subprocess.run([TETCLEAN, "--threads", threads, os.path.join(EXAMPLES, "mesh.node"),
                          os.path.join(EXAMPLES, "mesh.ele")] + outputs +
                         [level_set, PARAMETERS], capture_output=True, text=True)
    files = []
    for output in outputs:
        with open(output, "rb") if os.path.exists(output) else open(os.devnull, "rb") as file:
            files.append(file.read())
    return run.returncode, run.stdout, run.stderr.replace(level_set, "LEVEL_SET"), files


def as_text(values, name):
    """The grid's values, x fastest, each as the shortest text of its float."""
    with open(name, "w") as text:
        for value in np.asarray(values, dtype=np.float32).ravel(order="F"):
            text.write(repr(float(value)) if not value.is_integer() else str(int(value)))
            text.write("\n")


def read_back(proxy):
    """The values the file holds: the stored ones as nibabel reads them,
    scaled in float64 as the format defines, then rounded to float32."""
    stored = np.asarray(proxy.get_unscaled()).astype(np.float64)
    return (stored * float(proxy.slope) + float(proxy.inter)).astype(np.float32)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    with open(os.path.join(EXAMPLES, "levelset.txt")) as text:
        bundled = np.array(text.read().split(), dtype=np.float32)
    grid = bundled.reshape((SIDE, SIDE, SIDE), order="F")  # [i, j, k], x fastest

    big = nib.Nifti1Header(endianness=">")
    cases = [
        ("float32.nii", grid, np.float32, None, GRID_AFFINE, ""),
        ("float32.nii.gz", grid, np.float32, None, GRID_AFFINE, ""),
        ("float64.nii", grid.astype(np.float64) / 3.0, np.float64, None, GRID_AFFINE, ""),
        ("int16.nii.gz", grid.astype(np.float64) * 0.75 - 2.0, np.int16, None, GRID_AFFINE, ""),
        ("big-endian.nii", grid, np.dtype(">f4"), big, GRID_AFFINE, ""),
        ("identity.nii", grid, np.float32, None, np.eye(4), "notice"),
    ]
    for name, values, dtype, header, affine, notice in cases:
        path = os.path.join(WORK, name)
        image = nib.Nifti1Image(values, affine, header=header)
        image.set_data_dtype(dtype)
        nib.save(image, path)
        stored = nib.load(path)
        if dtype == np.int16 and (stored.dataobj.slope == 1.0 or stored.dataobj.inter == 0.0):
            fail(name, f"nibabel wrote no scaling ({stored.dataobj.slope}, {stored.dataobj.inter})")
        if name == "big-endian.nii" and stored.header.endianness != ">":
            fail(name, "nibabel wrote it little-endian")
        text = os.path.join(WORK, name + ".txt")
        as_text(read_back(stored.dataobj), text)
        for threads in ("1", "2"):
            expected = clean(text, threads)
            got = clean(path, threads)
            if expected[0] != 0:
                fail(name, f"the text grid does not clean: {expected[2]}")
            if got[0] != 0 or got[1] != expected[1] or got[3] != expected[3]:
                fail(name, f"cleans differently from its text on {threads} threads: {got[2]}")
            lines = got[2].splitlines()
            wanted = expected[2].splitlines()
            if notice:
                if len(lines) != len(wanted) + 1 or "the parameter file decides" not in lines[0]:
                    fail(name, f"no geometry notice: {got[2]!r}")
                lines = lines[1:]
            if lines != wanted:
                fail(name, f"console lines {got[2]!r}, not {expected[2]!r}")
    print(f"{len(cases)} volumes clean as their text does")


main()
