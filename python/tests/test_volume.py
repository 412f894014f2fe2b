# SPDX-License-Identifier: MIT
"""read_volume against nibabel's stored values."""
import os

import numpy as np
import pytest

import levelset_prep as lp

nib = pytest.importorskip("nibabel")

SHAPE = (5, 4, 3)


def stored(image):
    return np.asanyarray(image.dataobj.get_unscaled())


@pytest.mark.parametrize("dtype", [np.uint8, np.int16, np.int32, np.float32, np.float64,
                                   np.int8, np.uint16, np.uint32])
@pytest.mark.parametrize("ending", [".nii", ".nii.gz"])
def test_nifti_files_read_as_nibabel_stores_them(tmp_path, dtype, ending):
    values = (np.arange(np.prod(SHAPE)).reshape(SHAPE) * 3 - 7).astype(dtype)
    name = str(tmp_path / f"volume{ending}")
    image = nib.Nifti1Image(values, np.diag([0.5, 0.75, 2.0, 1.0]))
    image.header.set_slope_inter(2.0, 1.0)  # not applied: the stored values come back
    nib.save(image, name)
    # Datatype 4 reads as unsigned unless asked, as in a pair.
    volume = lp.read_volume(name, signed_16bit=dtype == np.int16)
    expected = stored(nib.load(name)).astype(np.float32)
    assert volume.data.dtype == np.float32 and volume.data.shape == SHAPE
    np.testing.assert_array_equal(volume.data, expected)
    assert volume.spacing == (0.5, 0.75, 2.0) and volume.volumes == 1


@pytest.mark.parametrize("name", ["segmented", "segmented.hdr", "segmented.img"])
def test_the_example_pair(examples, name):
    volume = lp.read_volume(os.path.join(examples, name))
    expected = stored(nib.load(os.path.join(examples, "segmented.hdr"))).reshape(48, 48, 16)
    np.testing.assert_array_equal(volume.data, expected)
    assert volume.spacing == (0.9375, 0.9375, 2.5)
    assert volume.data.flags.f_contiguous and not volume.data.flags.writeable


def test_every_volume_of_a_series(examples):
    name = os.path.join(examples, "segmented_series.nii.gz")
    series = stored(nib.load(name))
    count = lp.read_volume(name).volumes
    assert count == series.shape[3] > 1
    for number in range(1, count + 1):
        np.testing.assert_array_equal(lp.read_volume(name, volume=number).data,
                                      series[..., number - 1])


@pytest.mark.parametrize("signed", [False, True])
def test_16_bit_pair_samples(tmp_path, signed):
    values = np.array([-32768, -1, 0, 1, 32767] * 12, dtype=np.int16).reshape(SHAPE)
    name = str(tmp_path / "pair.hdr")
    nib.save(nib.AnalyzeImage(values, np.eye(4)), name)
    volume = lp.read_volume(name, signed_16bit=signed)
    expected = stored(nib.load(name))
    np.testing.assert_array_equal(volume.data, expected if signed else expected.view(np.uint16))


@pytest.mark.parametrize("call, error, text", [
    (lambda d: lp.read_volume(d / "missing.nii"), FileNotFoundError, "cannot open"),
    (lambda d: lp.read_volume(d / "short.nii"), ValueError, "shorter than 348 bytes"),
    (lambda d: lp.read_volume(d / "one.nii", volume=2), ValueError, "no volume 2"),
    (lambda d: lp.read_volume(d / "one.nii", volume=0), ValueError, "volume counts from 1"),
])
def test_volume_errors(tmp_path, call, error, text):
    (tmp_path / "short.nii").write_bytes(b"\0" * 100)
    nib.save(nib.Nifti1Image(np.zeros(SHAPE, np.uint8), np.eye(4)), str(tmp_path / "one.nii"))
    with pytest.raises(error, match=text):
        call(tmp_path)
