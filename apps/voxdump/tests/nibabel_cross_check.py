#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""voxdump against nibabel, an independent NIfTI-1 reader.

    nibabel_cross_check.py VOXDUMP WORK_FOLDER

nibabel writes .nii, .nii.gz and compressed pairs (vol.hdr with vol.img.gz)
of every sample type voxdump reads, in both byte orders, with scl_slope and
scl_inter set, and 4-D series; the real NIfTI-1 volumes that nibabel ships
as test data are read too. For each, the built voxdump's three files must
equal what nibabel's raw stored values (dataobj.get_unscaled()) give when
truncated as voxdump truncates: each value rounded to the nearest 32-bit
float, then truncated toward zero, with NaN and values outside the 32-bit
range written as -2147483648; datatype 4 read as 0 to 65535 unless
--signed-16bit is given. Standard error must hold the notes and notices
these values call for: the note on a series' first volume, then, for a
NIfTI-1 file alone, scl_slope and scl_inter as stored (header bytes 112
and 116, read here from the file, since nibabel shows an unscaled file's as
NaN), the negative 16-bit values read as unsigned and the voxels written as
-2147483648.

Exits 77 (skipped) when nibabel or numpy cannot be imported (Debian package
python3-nibabel), 1 on the first mismatch.
"""
import glob
import gzip
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

VOXDUMP, WORK = sys.argv[1], sys.argv[2]
NOTE = ": only volume 1 of {} was written; --volume N writes another\n"

# The types voxdump reads from NIfTI-1 files; pairs keep the first four.
PAIR_TYPES = ["uint8", "int16", "int32", "float32"]
NIFTI_TYPES = PAIR_TYPES + ["int8", "uint16", "uint32", "float64"]


def values_of(dtype, shape, rng):
    """Random values over the type's range, with its edge cases first."""
    count = int(np.prod(shape))
    if dtype.kind == "f":
        edges = [np.nan, np.inf, -np.inf, 0.5, -0.5, -2.75, 2147483647.0, 2147483648.0,
                 -2147483648.0, -2147483904.0, 3e9, 16777217.0, 1e-30]
        if dtype.itemsize == 8:
            edges += [2.9999999999999, -2.9999999999999, 1e300, -1e300, 2147483583.9]
        random = rng.normal(0.0, 1e4, count)
    else:
        info = np.iinfo(dtype)
        edges = [info.min, info.max, 0, -1 if info.min < 0 else 1, 16777217 % (int(info.max) + 1)]
        random = rng.integers(info.min, int(info.max) + 1, count, dtype=np.int64)
    values = np.array(random, dtype=np.float64 if dtype.kind == "f" else np.int64)
    values[: len(edges)] = edges[:count]
    with np.errstate(over="ignore", invalid="ignore"):
        return values.astype(dtype).reshape(shape, order="F")


def read_as(raw, signed_16bit):
    """One volume's raw stored values as voxdump reads them: flat, x fastest,
    each rounded to a 32-bit float, and whether it read stored negatives as
    unsigned 16-bit values."""
    flat = np.asarray(raw).reshape(-1, order="F")
    as_unsigned = flat.dtype.kind == "i" and flat.dtype.itemsize == 2 and not signed_16bit
    if as_unsigned:
        flat = flat.astype(np.uint16)
    with np.errstate(over="ignore", invalid="ignore"):
        return flat.astype(np.float32).astype(np.float64), as_unsigned


def inside(value):
    return -2147483648.0 <= value < 2147483648.0  # False for NaN


def expected_text(raw, signed_16bit):
    """The ascii image voxdump writes for one volume of raw stored values."""
    floats, _ = read_as(raw, signed_16bit)
    words = [str(int(np.trunc(value))) if inside(value) else "-2147483648" for value in floats]
    return "".join(word + " " for word in words)


def volume_of(view, volume):
    raw = view[0]
    if raw.ndim > 3:
        raw = raw.reshape(raw.shape[:3] + (-1,), order="F")[..., volume - 1]
    return raw


def stored_scaling(name, header):
    """scl_slope and scl_inter as the file stores them."""
    with (gzip.open if name.endswith(".gz") else open)(name, "rb") as file:
        stored = file.read(120)
    order = header.endianness
    return [float(np.frombuffer(stored[at:at + 4], dtype=order + "f4")[0]) for at in (112, 116)]


def counted(count, one, many):
    return f"{count} {one if count == 1 else many}"


def expected_notices(name, view, volume, signed_16bit):
    """voxdump's notices on a NIfTI-1 file's volume, each with its line end."""
    slope, inter = stored_scaling(name, view[1])
    lines = []
    finite = np.isfinite
    if (finite(slope) and slope not in (0.0, 1.0)) or (finite(inter) and inter != 0.0):
        lines.append(f"scl_slope {slope:g} and scl_inter {inter:g} are not applied; "
                     "the stored values are written")
    floats, as_unsigned = read_as(volume_of(view, volume), signed_16bit)
    negative = int(np.count_nonzero(floats >= 32768)) if as_unsigned else 0
    if negative:
        lines.append(counted(negative, "stored 16-bit value is negative and is read",
                             "stored 16-bit values are negative and are read") +
                     " as unsigned (a stored -1 as 65535); --signed-16bit reads " +
                     ("it" if negative == 1 else "them") + " signed")
    unwritable = sum(1 for value in floats if not inside(value))
    if unwritable:
        lines.append(counted(unwritable, "voxel is not a number or lies outside the 32-bit "
                             "range and is written", "voxels are not numbers or lie outside "
                             "the 32-bit range and are written") + " as -2147483648")
    return "".join(f"voxdump: {name}: {line}\n" for line in lines)


def nibabel_view(name):
    """The raw stored values and the header, as nibabel reads `name`."""
    image = nib.load(name)
    return np.asanyarray(image.dataobj.get_unscaled()), image.header


def expected_files(view, volume, signed_16bit):
    raw, header = volume_of(view, volume), view[1]
    dims = [int(d) for d in header["dim"][1:4]]
    dims = [d if i < int(header["dim"][0]) else 1 for i, d in enumerate(dims)]
    spacing = [float(np.float32(p)) for p in header["pixdim"][1:4]]
    return (expected_text(raw, signed_16bit), "%d %d %d\n" % tuple(dims),
            "%g %g %g\n" % tuple(spacing))


def run_voxdump(arguments):
    outputs = [os.path.join(WORK, name) for name in ("image.txt", "size.txt", "resolution.txt")]
    for output in outputs:
        if os.path.exists(output):
            os.remove(output)
    run = subprocess.run([VOXDUMP] + arguments + outputs, capture_output=True, text=True)
    files = None
    if run.returncode == 0:
        files = []
        for output in outputs:
            with open(output) as text:
                files.append(text.read())
    return run, files


checks = 0


def fail(what, message):
    print(f"MISMATCH {what}: {message}")
    sys.exit(1)


def check(what, name, view, volume=None, signed_16bit=False, volumes=1):
    """voxdump on `name` (volume 1 unless `volume`) against nibabel's `view`."""
    global checks
    arguments = (["--signed-16bit"] if signed_16bit else []) + \
        (["--volume", str(volume)] if volume else []) + [name]
    run, files = run_voxdump(arguments)
    if run.returncode != 0:
        fail(what, f"voxdump {' '.join(arguments)} exited {run.returncode}: {run.stderr}")
    wanted = expected_files(view, volume or 1, signed_16bit)
    for label, got, want in zip(("image", "size", "resolution"), files, wanted):
        if got != want:
            fail(what, f"{label} file differs:\n voxdump {got[:300]!r}\n nibabel {want[:300]!r}")
    note = "voxdump: " + name + NOTE.format(volumes) if volumes > 1 and not volume else ""
    if name.endswith((".nii", ".nii.gz")):
        note += expected_notices(name, view, volume or 1, signed_16bit)
    if run.stderr != note:
        fail(what, f"standard error {run.stderr!r}, expected {note!r}")
    checks += 1


def refused(what, arguments, problem):
    global checks
    run, _ = run_voxdump(arguments)
    if run.returncode != 1 or problem not in run.stderr:
        fail(what, f"exit {run.returncode}, {run.stderr!r}; expected 1 and {problem!r}")
    checks += 1


def save_compressed_pair(image, base):
    """nibabel writes base.hdr.gz and base.img.gz and reads them back; voxdump
    reads base.hdr (the header decompressed) with base.img.gz."""
    nib.save(image, base + ".img.gz")
    view = nibabel_view(base + ".img.gz")
    with gzip.open(base + ".hdr.gz", "rb") as packed, open(base + ".hdr", "wb") as header:
        header.write(packed.read())
    os.remove(base + ".hdr.gz")
    return view


def make_image(kind, data, order, slope=True):
    header = kind.header_class(endianness=order)
    header.set_data_dtype(data.dtype)
    image = kind(data, np.diag([0.9375, 1.5, 2.5, 1.0]), header)
    image.header.set_zooms((0.9375, 1.5, 2.5) + (1.0,) * (data.ndim - 3))
    if slope:
        image.header.set_slope_inter(2.0, -10.0)  # raw values are written, never scaled
    return image


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    rng = np.random.default_rng(13)
    for type_name in NIFTI_TYPES:
        for order in "<>":
            dtype = np.dtype(type_name).newbyteorder(order)
            data = values_of(dtype, (5, 4, 3), rng)
            base = os.path.join(WORK, f"{type_name}{'_be' if order == '>' else ''}")
            image = make_image(nib.Nifti1Image, data, order)
            for name in (base + ".nii", base + ".nii.gz"):
                nib.save(image, name)
                loaded = nibabel_view(name)
                if order == ">" and open(name, "rb").read(2) == b"\x5c\x01":
                    fail(name, "nibabel did not write big-endian")
                check(name, name, loaded)
                if type_name == "int16":
                    check(name + " signed", name, loaded, signed_16bit=True)
            pair = make_image(nib.Nifti1Pair, data, order)
            loaded = save_compressed_pair(pair, base + "_pair")
            if type_name in PAIR_TYPES:
                check(base + " compressed pair", base + "_pair.hdr", loaded)
                if type_name == "int16":
                    check(base + " compressed pair, signed", base + "_pair", loaded,
                          signed_16bit=True)
            else:
                refused(base + " pair of a NIfTI-only type", [base + "_pair"],
                        "unsupported datatype")

    # A 4-D series of 16-bit samples, 5 volumes.
    series = values_of(np.dtype("<i2"), (4, 3, 2, 5), rng)
    base = os.path.join(WORK, "series")
    for name in (base + ".nii", base + ".nii.gz"):
        nib.save(make_image(nib.Nifti1Image, series, "<"), name)
        loaded = nibabel_view(name)
        check(name + " volume 1", name, loaded, volumes=5)
        for volume in (1, 3, 5):
            check(f"{name} --volume {volume}", name, loaded, volume=volume, signed_16bit=True)
        refused(name + " --volume 6", ["--volume", "6", name], "no volume 6: the header announces 5")
    loaded = save_compressed_pair(make_image(nib.Nifti1Pair, series, ">"), base + "_pair")
    check("series pair volume 1", base + "_pair", loaded, volumes=5)
    check("series pair --volume 4", base + "_pair", loaded, volume=4)

    # The real volumes nibabel ships as test data.
    shipped = os.path.join(os.path.dirname(nib.__file__), "tests", "data")
    for name in sorted(glob.glob(os.path.join(shipped, "*.nii*"))):
        image = nib.load(name)
        if isinstance(image, nib.Nifti2Image):
            refused(name, [name], "is a NIfTI-2 file")
            continue
        if not isinstance(image, nib.Nifti1Image) or image.header["datatype"] in (32, 128):
            continue
        volumes = int(np.prod(image.shape[3:])) if len(image.shape) > 3 else 1
        view = nibabel_view(name)
        check(name, name, view, volumes=volumes)
        if volumes > 1:
            check(name + " last volume", name, view, volume=volumes)
    print(f"{checks} checks against nibabel {nib.__version__} passed")


main()
