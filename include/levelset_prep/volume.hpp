// SPDX-License-Identifier: MIT
// volume: operations over in-memory volumes of levelset_prep.
//
// Owns voxel access, copies and conversions, a threshold into a mask, the
// nearest-voxel search, box smoothing, a masked quantile and the masked
// neighbourhood filters (volume_utilities.hpp).
#pragma once

#include <levelset_prep/volume/volume_utilities.hpp>
