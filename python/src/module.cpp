// SPDX-License-Identifier: MIT
// levelset_prep._levelset_prep: the compiled part of the package.
#include "bindings.hpp"

PYBIND11_MODULE(_levelset_prep, module) {
    module.doc() = "Meshes, level-set grids and volumes over numpy arrays.";
    module.attr("__version__") = LEVELSET_PREP_VERSION;
    levelset_prep::python::bind_mesh(module);
    levelset_prep::python::bind_level_set(module);
    levelset_prep::python::bind_clean(module);
    levelset_prep::python::bind_volume(module);
}
