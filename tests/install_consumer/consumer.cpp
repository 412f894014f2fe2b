// SPDX-License-Identifier: MIT
// Uses two installed modules the way another program would: reads an
// Analyze volume and counts its labelled voxels, reads a parameter file and
// samples a level-set grid of the size it gives.
//
//   consumer volume parameters_file
#include <cstdio>
#include <vector>

#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/levelset.hpp>
#include <levelset_prep/mesh/run_parameters.hpp>
#include <levelset_prep/volume/volume_utilities.hpp>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: consumer volume parameters_file\n");
        return 2;
    }

    levelset_prep::analyze::analyze_image image;
    const auto read = levelset_prep::analyze::read_analyze_image(argv[1], image, false);
    levelset_prep::analyze::analyze_byte_image labelled;
    if (!read.ok()) {
        std::fprintf(stderr, "consumer: %s (status %d)\n", read.error->message().c_str(),
                     levelset_prep::analyze::status_number(read.status));
        return 1;
    }
    if (!levelset_prep::volume::threshold_image(image, labelled, 0.5f)) {
        std::fprintf(stderr, "consumer: %s: cannot threshold the volume\n", argv[1]);
        return 1;
    }
    const auto& dim = image.header.dim;
    long count = 0;
    for (long i = 0; i < levelset_prep::analyze::voxel_count(image.header); ++i)
        count += labelled.data[i];
    std::printf("volume %d x %d x %d, labels up to %g, %ld labelled voxels\n", dim[1], dim[2],
                dim[3], image.max_intensity, count);

    levelset_prep::mesh::RunParameters param;
    if (auto problem = param.read_parameter_file(argv[2])) {
        std::fprintf(stderr, "consumer: %s\n", problem->message().c_str());
        return 1;
    }
    // A grid whose value is the x index of each point: mesh x = 0.25 lies
    // halfway between points 3 and 4.
    std::vector<float> grid(static_cast<std::size_t>(param.grid1_count));
    for (std::size_t v = 0; v < grid.size(); ++v) grid[v] = static_cast<float>(v % param.grid1_nx);
    std::printf("grid %d x %d x %d, value at (0.25, 0, 0): %g\n", param.grid1_nx, param.grid1_ny,
                param.grid1_nz,
                levelset_prep::levelset::interpolate_sd(0.25f, 0.0f, 0.0f, grid.data(), param, 1));
    return 0;
}
