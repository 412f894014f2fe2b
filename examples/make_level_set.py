#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes a level-set file for tetclean: the signed distance to a surface,
sampled on the grid that tetclean derives from a parameter file.

The grid has 2*extent + 32 points along each axis, each of the parameter
file's first three numbers (the extents) rounded up to a multiple of 4 first,
as tetclean rounds them. Grid point (i, j, k) lies at mesh coordinates
((i - 3)/2, (j - 3)/2, (k - 3)/2), so the points are half a mesh unit apart.
The values are in grid units, two per mesh unit, negative inside the surface
and positive outside: tetclean's threshold 6 is then 3 mesh units from it.
They are written as text, x fastest, then y, then z, one line per row of x;
a level_set_file ending in .nii or .nii.gz is written instead as a NIfTI-1
volume of 32-bit floats (with nibabel) whose affine is the grid's,
diag(0.5, 0.5, 0.5) with offset (-1.5, -1.5, -1.5).

The surface is one of:
  --sphere X,Y,Z,R        a sphere, in mesh coordinates (may be repeated)
  --box X0,Y0,Z0,X1,Y1,Z1 an axis-aligned box (may be repeated)
  --labels FILE           a labelled volume: a NIfTI-1 file or an Analyze
                          pair (read with nibabel), or a NumPy .npy array
Spheres and boxes are exact; several of them make their union (the smallest
of their values, exact outside). A labelled volume gives each grid point the
label of the nearest voxel centre, voxel (a, b, c) at origin + (a*sx, b*sy,
c*sz); points beyond the volume are outside. The distances are then
Euclidean distance transforms on the grid, measured to halfway between an
inside and an outside point.

Needs numpy and scipy (Debian python3-numpy, python3-scipy); nibabel
(python3-nibabel) for NIfTI-1 and Analyze files, read or written.
"""
import argparse
import os
import sys
import tempfile

PROGRAM = "make_level_set.py"


class Refusal(Exception):
    """A problem with an input, reported as 'make_level_set.py: FILE: PROBLEM'."""


def numbers(text, count, what):
    try:
        values = [float(part) for part in text.split(",")]
    except ValueError:
        values = []
    if len(values) != count:
        raise argparse.ArgumentTypeError(f"{what} takes {count} numbers separated by commas, "
                                         f"not '{text}'")
    return values


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog=PROGRAM, description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="Example: make_level_set.py --sphere 6,6,6,3 examples/params.txt levelset.txt "
               "writes the bundled example's level set.")
    parser.add_argument("parameters_file", help="tetclean's parameter file: the grid extents")
    parser.add_argument("level_set_file",
                        help="receives the values, x fastest (.nii, .nii.gz: a NIfTI-1 volume)")
    shapes = parser.add_argument_group("the surface (one kind)")
    shapes.add_argument("--sphere", action="append", default=[], metavar="X,Y,Z,R",
                        type=lambda t: numbers(t, 4, "--sphere"),
                        help="a sphere of radius R about (X, Y, Z), in mesh units")
    shapes.add_argument("--box", action="append", default=[], metavar="X0,Y0,Z0,X1,Y1,Z1",
                        type=lambda t: numbers(t, 6, "--box"),
                        help="the box from corner (X0, Y0, Z0) to corner (X1, Y1, Z1)")
    shapes.add_argument("--labels", metavar="FILE",
                        help="a labelled volume (.nii, .nii.gz, .hdr/.img, .npy)")
    volume = parser.add_argument_group("with --labels")
    volume.add_argument("--label", action="append", type=int, default=[], metavar="N",
                        help="a label inside the surface (may be repeated); default: every "
                             "label but 0")
    volume.add_argument("--spacing", metavar="SX,SY,SZ", type=lambda t: numbers(t, 3, "--spacing"),
                        help="the voxel spacings in mesh units; default: the file's, 1,1,1 "
                             "for .npy")
    volume.add_argument("--origin", metavar="X,Y,Z", default=[0.0, 0.0, 0.0],
                        type=lambda t: numbers(t, 3, "--origin"),
                        help="mesh coordinates of voxel (0, 0, 0); default 0,0,0")
    args = parser.parse_args(argv)
    if bool(args.labels) == bool(args.sphere or args.box):
        parser.error("give either --labels or spheres and boxes")
    if not args.labels and (args.label or args.spacing):
        parser.error("--label and --spacing go with --labels")
    return args


def rounded_extent(extent):
    """A positive extent rounded up to a multiple of 4; others unchanged."""
    return (extent + 3) // 4 * 4 if extent > 0 else extent


def grid_shape(parameters_file):
    """The points per axis of tetclean's grid for `parameters_file`."""
    try:
        with open(parameters_file) as file:
            tokens = file.read().split()[:3]
    except OSError as error:
        raise Refusal(f"{parameters_file}: cannot read the parameter file: {error.strerror}")
    except UnicodeDecodeError:
        tokens = []
    names = ("first", "second", "third")
    if len(tokens) < 3:
        raise Refusal(f"{parameters_file}: the {names[len(tokens)]} grid extent is missing")
    shape = []
    for name, token in zip(names, tokens):
        if not token.lstrip("+-").isdigit():
            raise Refusal(f"{parameters_file}: the {name} grid extent '{token}' is not a whole "
                          "number")
        shape.append(2 * rounded_extent(int(token)) + 32)
    if min(shape) < 1:
        raise Refusal(f"{parameters_file}: the grid extents give a grid with no points")
    return tuple(shape)


def grid_axes(shape):
    """The mesh coordinates of the grid points along x, y and z."""
    import numpy as np
    return [(np.arange(n, dtype=np.float64) - 3) / 2 for n in shape]


def shape_distance(shape, spheres, boxes):
    """The signed distance, in mesh units, to the union of spheres and boxes."""
    import numpy as np
    x, y, z = np.meshgrid(*grid_axes(shape), indexing="ij", sparse=True)
    distance = np.full(shape, np.inf)
    for cx, cy, cz, radius in spheres:
        if not radius > 0:
            raise Refusal(f"--sphere: radius {radius:g} is not above 0")
        distance = np.minimum(distance,
                              np.sqrt((x - cx) ** 2 + (y - cy) ** 2 + (z - cz) ** 2) - radius)
    for box in boxes:
        low, high = np.minimum(box[:3], box[3:]), np.maximum(box[:3], box[3:])
        centre, half = (low + high) / 2, (high - low) / 2
        # Per axis, how far the point lies beyond the box's face (negative inside).
        q = [abs(c - m) - h for c, m, h in zip((x, y, z), centre, half)]
        beyond = np.sqrt(sum(np.maximum(a, 0) ** 2 for a in q))
        distance = np.minimum(distance, beyond + np.minimum(np.maximum(np.maximum(*q[:2]), q[2]),
                                                            0))
    return distance


def read_labels(name, spacing):
    """The volume of `name` as a 3-D array indexed [x, y, z], and its spacings."""
    import numpy as np
    if name.endswith(".npy"):
        try:
            volume = np.load(name, allow_pickle=False)
        except (OSError, ValueError) as error:
            raise Refusal(f"{name}: cannot read the array: {error}")
        file_spacing = (1.0, 1.0, 1.0)
    else:
        try:
            import nibabel
        except ImportError:
            raise Refusal(f"{name}: reading NIfTI-1 and Analyze files needs nibabel "
                          "(Debian python3-nibabel)")
        try:
            image = nibabel.load(name)
            volume = np.asanyarray(image.dataobj.get_unscaled())  # the stored labels
        except Exception as error:  # nibabel's errors have no common base
            raise Refusal(f"{name}: cannot read the volume: {error}")
        file_spacing = tuple(float(s) for s in image.header.get_zooms()[:3])
    while volume.ndim > 3 and volume.shape[-1] == 1:
        volume = volume[..., 0]
    if volume.ndim != 3:
        raise Refusal(f"{name}: holds a {volume.ndim}-D array; a labelled volume is 3-D")
    spacing = tuple(spacing) if spacing else file_spacing
    if not all(s > 0 for s in spacing):
        raise Refusal(f"{name}: voxel spacings {spacing} are not all above 0; give --spacing")
    return volume, spacing


def labels_distance(shape, name, labels, spacing, origin):
    """The signed distance, in grid units, to the surface of the labelled region."""
    import numpy as np
    from scipy import ndimage
    volume, spacing = read_labels(name, spacing)
    inside_volume = np.isin(volume, labels) if labels else volume != 0
    # The nearest voxel centre of each grid point, axis by axis.
    picks = []
    for axis, coordinates in enumerate(grid_axes(shape)):
        index = np.floor((coordinates - origin[axis]) / spacing[axis] + 0.5).astype(np.int64)
        picks.append((index, (index >= 0) & (index < volume.shape[axis])))
    (ia, va), (ib, vb), (ic, vc) = picks
    if volume.size == 0:
        raise Refusal(f"{name}: the volume holds no voxels")
    last = [n - 1 for n in volume.shape]
    mask = inside_volume[np.ix_(np.clip(ia, 0, last[0]), np.clip(ib, 0, last[1]),
                                np.clip(ic, 0, last[2]))]
    mask &= va[:, None, None] & vb[None, :, None] & vc[None, None, :]
    if not mask.any():
        raise Refusal(f"{name}: no voxel of the labels inside lies on the grid")
    if mask.all():
        raise Refusal(f"{name}: the labels inside cover the whole grid, which then holds no "
                      "surface")
    # One grid unit is one grid step: each transform counts in steps.
    to_inside = ndimage.distance_transform_edt(~mask)
    to_outside = ndimage.distance_transform_edt(mask)
    return np.where(mask, 0.5 - to_outside, to_inside - 0.5)


def volume_ending(path):
    """'.nii' or '.nii.gz' when `path` names a NIfTI-1 volume, else ''."""
    for ending in (".nii.gz", ".nii"):
        if path.endswith(ending):
            return ending
    return ""


def save_volume(path, values):
    """`values` as a NIfTI-1 volume of 32-bit floats at the grid's geometry:
    voxel (i, j, k) at mesh coordinates (-1.5, -1.5, -1.5) + (i, j, k) / 2."""
    import numpy as np
    try:
        import nibabel
    except ImportError as error:
        raise Refusal(f"{path}: writing a NIfTI-1 volume needs nibabel (Debian "
                      f"python3-nibabel): {error}")
    affine = np.diag([0.5, 0.5, 0.5, 1.0])
    affine[:3, 3] = -1.5
    nibabel.save(nibabel.Nifti1Image(values.astype(np.float32), affine), path)


def write_grid(path, values):
    """Writes `values` (indexed [i, j, k], in grid units) as tetclean reads a
    level-set file: x fastest, one line per row of x, or a NIfTI-1 volume.
    The file is written beside `path` and renamed over it once complete."""
    import numpy as np
    folder = os.path.dirname(os.path.abspath(path))
    ending = volume_ending(path)
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=".make_level_set.", suffix=ending)
    try:
        if ending:
            os.close(handle)
            save_volume(temporary, values)
        else:
            rows = np.ascontiguousarray(values.transpose(2, 1, 0)).reshape(-1, values.shape[0])
            with os.fdopen(handle, "w") as file:
                np.savetxt(file, rows, fmt="%g", delimiter=" ")
        os.chmod(temporary, 0o666 & ~current_umask())
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def current_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def same_file(a, b):
    try:
        return os.path.samefile(a, b)
    except OSError:
        return False


def main(argv):
    args = parse_arguments(argv)
    try:
        import numpy  # noqa: F401
        import scipy.ndimage  # noqa: F401
    except ImportError as error:
        print(f"{PROGRAM}: needs numpy and scipy (Debian python3-numpy, python3-scipy): {error}",
              file=sys.stderr)
        return 1
    try:
        for given in (args.parameters_file, args.labels):
            if given and same_file(args.level_set_file, given):
                raise Refusal(f"{args.level_set_file}: the output names the input {given}")
        shape = grid_shape(args.parameters_file)
        if args.labels:
            values = labels_distance(shape, args.labels, args.label, args.spacing, args.origin)
        else:
            values = 2 * shape_distance(shape, args.sphere, args.box)  # two grid units a mesh unit
        write_grid(args.level_set_file, values)
    except Refusal as refusal:
        print(f"{PROGRAM}: {refusal}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"{PROGRAM}: {args.level_set_file}: cannot write the level-set file: "
              f"{error.strerror}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
