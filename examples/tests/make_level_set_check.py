#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""make_level_set.py, and tetclean on what it writes.

    make_level_set_check.py TETCLEAN EXAMPLES_FOLDER WORK_FOLDER

The sphere of the bundled example must give the bundled level set (which
holds its values to three decimals) and the same cleaned mesh; grids follow
the parameter file's extents as tetclean rounds them; a labelled volume of
that sphere gives nearly the same values and mesh; bad inputs are refused
with one line and leave no file. Exits 77 (skipped) when numpy or scipy
cannot be imported (Debian packages python3-numpy, python3-scipy).
"""
import os
import shutil
import subprocess
import sys

try:
    import numpy as np
    import scipy.ndimage  # noqa: F401
except ImportError as error:
    print(f"skipped: {error}")
    sys.exit(77)

TETCLEAN, EXAMPLES, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
SCRIPT = os.path.join(EXAMPLES, "make_level_set.py")
PARAMETERS = os.path.join(EXAMPLES, "params.txt")


def fail(what, message):
    print(f"FAILED {what}: {message}")
    sys.exit(1)


def make(*arguments):
    return subprocess.run([sys.executable, SCRIPT] + list(arguments), capture_output=True,
                          text=True)


def values(name):
    with open(name) as text:
        return np.array(text.read().split(), dtype=np.float64)


def clean(level_set, parameters=PARAMETERS):
    """tetclean on the bundled mesh: exit status, and the cleaned files' text."""
    outputs = [os.path.join(WORK, name) for name in ("clean.node", "clean.ele")]
    for output in outputs:
        if os.path.exists(output):
            os.remove(output)
    run = subprocess.run([TETCLEAN, "-q", os.path.join(EXAMPLES, "mesh.node"),
                          os.path.join(EXAMPLES, "mesh.ele")] + outputs + [level_set, parameters],
                         capture_output=True, text=True)
    texts = []
    for output in outputs:
        with open(output) if run.returncode == 0 else open(os.devnull) as file:
            texts.append(file.read())
    return run.returncode, run.stderr, texts


def check_bundled_sphere():
    made = os.path.join(WORK, "sphere.txt")
    run = make("--sphere", "6,6,6,3", PARAMETERS, made)
    if run.returncode != 0 or run.stderr:
        fail("the bundled sphere", run.stderr)
    bundled = values(os.path.join(EXAMPLES, "levelset.txt"))
    got = values(made)
    if got.shape != bundled.shape or np.max(np.abs(got - bundled)) > 0.0005 + 1e-9:
        fail("the bundled sphere", f"{got.shape} values, not the bundled {bundled.shape} to "
                                   "three decimals")
    with open(made) as text:
        rows = text.read().split("\n")
    if len(rows[0].split()) != 56 or len(rows) != 56 * 56 + 1:
        fail("the bundled sphere", "not one line per row of 56 values")
    if clean(made) != clean(os.path.join(EXAMPLES, "levelset.txt")):
        fail("the bundled sphere", "tetclean cleans the mesh differently")


def check_grid_shapes():
    # (extents, the points along x, y, z), as tetclean rounds the extents.
    cases = [("12 12 12", (56, 56, 56)), ("5 6 7", (48, 48, 48)), ("1 2 3 0.05 200", (40, 40, 40)),
             ("0 13 8\n", (32, 64, 48)), ("-4 4 4", (24, 40, 40))]
    for extents, (nx, ny, nz) in cases:
        parameters = os.path.join(WORK, "params.txt")
        with open(parameters, "w") as file:
            file.write(extents + "\n")
        made = os.path.join(WORK, "grid.txt")
        run = make("--box", "0,0,0,12,12,12", parameters, made)
        if run.returncode != 0:
            fail(f"extents {extents!r}", run.stderr)
        got = values(made).reshape(nz, ny, nx)
        # The box's corner (0, 0, 0) is grid point (3, 3, 3); its centre
        # (6, 6, 6) lies 6 mesh units, 12 grid units, inside every face.
        if got[3, 3, 3] != 0 or (min(nx, ny, nz) > 15 and got[15, 15, 15] != -12):
            fail(f"extents {extents!r}", "values not in grid units at their places")
        if abs(got[0, 0, 0] - 2 * np.sqrt(3 * 1.5 ** 2)) > 1e-4:  # six digits written
            fail(f"extents {extents!r}", f"{got[0, 0, 0]} at grid point (0, 0, 0)")
        status, stderr, _ = clean(made, parameters)
        if status != 0:
            fail(f"extents {extents!r}", "tetclean: " + stderr)


def check_labelled_volume():
    # The example's sphere as labels on voxels 0.25 mesh units apart.
    axis = np.arange(49) * 0.25
    x, y, z = np.meshgrid(axis, axis, axis, indexing="ij")
    ball = ((x - 6) ** 2 + (y - 6) ** 2 + (z - 6) ** 2 < 9).astype(np.int16) * 7
    ball[0, 0, 0] = 3  # another label, far from the sphere
    volume = os.path.join(WORK, "ball.npy")
    np.save(volume, ball)
    made = os.path.join(WORK, "labels.txt")
    run = make("--labels", volume, "--label", "7", "--spacing", "0.25,0.25,0.25", PARAMETERS,
               made)
    if run.returncode != 0:
        fail("a labelled sphere", run.stderr)
    got, exact = values(made), values(os.path.join(EXAMPLES, "levelset.txt"))
    near = np.abs(exact) < 12
    error = np.max(np.abs(got - exact)[near])
    away = np.abs(exact) > 1
    if error > 1.0 or not np.all(np.sign(got[away]) == np.sign(exact[away])):
        fail("a labelled sphere", f"{error} grid units from the exact distance near the sphere")
    status, _, (node_text, ele_text) = clean(made)
    kept = int(ele_text.split()[0]) if status == 0 else -1
    if not 2100 <= kept <= 2300:  # the exact sphere keeps 2206 of 3072
        fail("a labelled sphere", f"tetclean kept {kept} tetrahedra")
    # The same labels from a NIfTI-1 file, its spacings read from the header.
    try:
        import nibabel
    except ImportError:
        return
    nifti = os.path.join(WORK, "ball.nii.gz")
    image = nibabel.Nifti1Image(ball, np.diag([0.25, 0.25, 0.25, 1]))
    nibabel.save(image, nifti)
    again = os.path.join(WORK, "labels_nifti.txt")
    run = make("--labels", nifti, "--label", "7", PARAMETERS, again)
    with open(made) as a, open(again) if run.returncode == 0 else open(os.devnull) as b:
        if a.read() != b.read():
            fail("a labelled sphere in a NIfTI-1 file", run.stderr or "other values")


def check_refusals():
    bad_parameters = os.path.join(WORK, "bad_params.txt")
    with open(bad_parameters, "w") as file:
        file.write("12 0.5 12\n")
    empty = os.path.join(WORK, "empty.npy")
    np.save(empty, np.zeros((4, 4, 4), np.uint8))
    out = os.path.join(WORK, "refused.txt")
    cases = [
        (["--sphere", "6,6,6,3", bad_parameters, out],
         f"{bad_parameters}: the second grid extent '0.5' is not a whole number"),
        (["--sphere", "6,6,6,3", os.path.join(WORK, "none.txt"), out],
         "cannot read the parameter file: No such file or directory"),
        (["--sphere", "6,6,6,0", PARAMETERS, out], "--sphere: radius 0 is not above 0"),
        (["--labels", empty, PARAMETERS, out], f"{empty}: no voxel of the labels inside lies"),
        (["--sphere", "6,6,6,3", "--labels", empty, PARAMETERS, out], "either --labels or"),
        (["--sphere", "6,6,6,3", PARAMETERS, PARAMETERS], "the output names the input"),
        (["--sphere", "6,6,6,3", PARAMETERS, os.path.join(WORK, "no", "out.txt")],
         "cannot write the level-set file: No such file or directory"),
    ]
    with open(PARAMETERS) as file:
        parameters = file.read()
    for arguments, problem in cases:
        run = make(*arguments)
        lines = run.stderr.splitlines()
        if run.returncode == 0 or not lines or problem not in lines[-1]:
            fail(" ".join(arguments), f"exit {run.returncode}, {run.stderr!r}; not {problem!r}")
    left = [name for name in os.listdir(WORK) if name.startswith(".make_level_set")]
    with open(PARAMETERS) as file:
        if os.path.exists(out) or left or file.read() != parameters:
            fail("refusals", "a file was left or changed")
    run = make("--help")
    if run.returncode != 0 or "grid units, two per mesh unit" not in " ".join(run.stdout.split()):
        fail("--help", run.stdout)


def check_volume_outputs():
    """The sphere as a NIfTI-1 volume: float32 at the grid's affine, the text's
    values to its six digits, and tetclean cleans the mesh as from the text."""
    try:
        import nibabel
    except ImportError:
        print("the NIfTI-1 outputs skipped: no nibabel")
        return
    text = os.path.join(WORK, "sphere.txt")
    affine = np.diag([0.5, 0.5, 0.5, 1.0])
    affine[:3, 3] = -1.5
    for name in ("sphere.nii", "sphere.nii.gz"):
        made = os.path.join(WORK, name)
        run = make("--sphere", "6,6,6,3", PARAMETERS, made)
        if run.returncode != 0 or run.stderr:
            fail(name, run.stderr)
        volume = nibabel.load(made)
        got = np.asarray(volume.dataobj)
        if got.dtype != np.float32 or got.shape != (56, 56, 56):
            fail(name, f"{got.dtype} {got.shape}, not float32 56 x 56 x 56")
        if not np.array_equal(volume.affine, affine):
            fail(name, f"affine {volume.affine.tolist()}")
        written = values(text).reshape(56, 56, 56).transpose(2, 1, 0)
        if np.max(np.abs(got - written) / np.maximum(np.abs(written), 1e-3)) > 5e-6:
            fail(name, "values other than the text's")
        if clean(made) != clean(text):
            fail(name, "tetclean cleans the mesh differently from the text")


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    check_bundled_sphere()
    check_grid_shapes()
    check_labelled_volume()
    check_refusals()
    check_volume_outputs()
    print("make_level_set.py: the sphere, grid shapes, labelled volumes, refusals and NIfTI-1 "
          "outputs hold")


main()
