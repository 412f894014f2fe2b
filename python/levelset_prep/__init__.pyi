# SPDX-License-Identifier: MIT
"""Meshes, level-set grids and volumes for level-set simulations, over numpy arrays."""
import os
from typing import Any, Literal, Optional, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]

__version__: str

class Mesh:
    """A tetrahedral mesh: nodes, tetrahedra and their regions."""
    def __init__(self, nodes: npt.ArrayLike, tets: npt.ArrayLike, regions: npt.ArrayLike) -> None: ...
    @property
    def nodes(self) -> npt.NDArray[np.float64]:
        """float64 (N, 3): the coordinates, a writable view of the mesh's storage."""
    @property
    def tets(self) -> npt.NDArray[np.int32]:
        """int32 (T, 4): zero-based node indices, a read-only view."""
    @property
    def regions(self) -> npt.NDArray[np.int32]:
        """int32 (T,): each tetrahedron's region, a writable view."""

class LevelSetGrid:
    """A level-set grid; point (i, j, k) lies at ((i - 3) / 2, (j - 3) / 2, (k - 3) / 2)."""
    def __init__(self, values: npt.ArrayLike) -> None: ...
    @property
    def values(self) -> npt.NDArray[np.float32]:
        """float32 (nx, ny, nz) indexed [x, y, z], in Fortran order."""
    @property
    def shape(self) -> tuple[int, int, int]: ...

class CleanResult:
    """What clean() returns."""
    @property
    def mesh(self) -> Mesh:
        """The cleaned mesh."""
    @property
    def node_map(self) -> npt.NDArray[np.int32]:
        """int32 (N,): each input node's zero-based index in the cleaned mesh, or -1."""
    @property
    def level_set(self) -> npt.NDArray[np.float32]:
        """float32 (M,): the level-set value at each kept node (800 outside the grid)."""
    @property
    def report(self) -> dict[str, Any]:
        """The counts, under the keys of tetclean's --report."""

class Volume:
    """A volume read by read_volume()."""
    @property
    def data(self) -> npt.NDArray[np.float32]:
        """float32 (nx, ny, nz) indexed [x, y, z], the stored values."""
    @property
    def spacing(self) -> tuple[float, float, float]: ...
    @property
    def volumes(self) -> int: ...

def read_mesh(node_file: _Path, ele_file: _Path, *, threads: Optional[int] = None) -> Mesh:
    """Read a mesh from its node and element files (plain or TetGen's layout)."""

def write_mesh(
    mesh: Mesh,
    node_file: _Path,
    ele_file: _Path,
    *,
    layout: Literal["plain"] = "plain",
    full_precision: bool = False,
    threads: Optional[int] = None,
) -> None:
    """Write a mesh as node and element files, byte for byte as tetclean does."""

def read_level_set(level_set_file: _Path, parameters_file: _Path) -> LevelSetGrid:
    """Read a level-set grid (text, .nii or .nii.gz) whose shape the parameter file gives."""

def clean(
    mesh: Mesh,
    level_set: LevelSetGrid,
    *,
    threshold: float = 6.0,
    threads: Optional[int] = None,
) -> CleanResult:
    """Clean a mesh against a level-set grid, as tetclean does."""

def read_volume(
    path: _Path, *, volume: int = 1, signed_16bit: bool = False, threads: Optional[int] = None
) -> Volume:
    """Read an Analyze 7.5 pair or a NIfTI-1 file as voxdump does."""
