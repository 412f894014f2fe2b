# SPDX-License-Identifier: MIT
"""Meshes, level-set grids and volumes for level-set simulations, over numpy arrays.

    mesh = levelset_prep.read_mesh("mesh.1.node", "mesh.1.ele")
    grid = levelset_prep.read_level_set("levelset.txt", "params.txt")
    cleaned = levelset_prep.clean(mesh, grid)
    levelset_prep.write_mesh(cleaned.mesh, "clean.node", "clean.ele")

Mesh, LevelSetGrid and Volume hand out numpy views of their own storage.
Files that cannot be read or written raise OSError (with errno and the file
name), content that cannot be used raises ValueError; the text is the line
tetclean or voxdump prints. Reading, cleaning and writing release the GIL.
"""
from ._levelset_prep import (
    CleanResult,
    LevelSetGrid,
    Mesh,
    Volume,
    __version__,
    clean,
    read_level_set,
    read_mesh,
    read_volume,
    write_mesh,
)

__all__ = [
    "CleanResult",
    "LevelSetGrid",
    "Mesh",
    "Volume",
    "clean",
    "read_level_set",
    "read_mesh",
    "read_volume",
    "write_mesh",
]
