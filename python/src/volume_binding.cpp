// SPDX-License-Identifier: MIT
// read_volume and Volume.
#include <algorithm>
#include <memory>
#include <string>

#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/nifti_reader.hpp>

#include "array_views.hpp"
#include "bindings.hpp"
#include "python_errors.hpp"

namespace levelset_prep::python {

namespace {

// An uncompressed pair is read on up to four threads, as voxdump reads it.
constexpr int most_threads = 4;

std::int64_t axis(const analyze::analyze_header& header, int d) {
    return analyze::voxel_count(header) == 0 ? 0 : header.dim[d];
}

std::unique_ptr<Volume> read_volume(const py::object& path, std::int64_t volume, bool signed_16bit,
                                    std::optional<int> threads) {
    const std::string name = path_argument(path);
    analyze::ReadOptions options;
    options.volume = volume;
    options.signed_16bit = signed_16bit;
    options.threads = thread_argument(threads, most_threads);
    if (volume < 1) raise_value_error("volume counts from 1, not " + std::to_string(volume));
    auto result = std::make_unique<Volume>();
    textio::MaybeError error;
    {
        py::gil_scoped_release unlocked;
        if (analyze::names_nifti_file(name)) {
            error = analyze::read_nifti_image(name, result->image, options).error;
        } else if (analyze::pair_names(name)) {
            error = analyze::read_analyze_image(name, result->image, options).error;
        } else {
            error = textio::file_error(textio::shortened_name(name),
                                       "header or image file name would be longer than 1023 "
                                       "characters");
        }
    }
    raise_if(error);
    return result;
}

}  // namespace

void bind_volume(py::module_& module) {
    py::class_<Volume>(module, "Volume", "A volume read by read_volume().")
        .def_property_readonly(
            "data",
            [](const py::object& self) {
                const analyze::analyze_image& image = self.cast<const Volume&>().image;
                return grid_view(image.data.get(), axis(image.header, 1), axis(image.header, 2),
                                 axis(image.header, 3), self, false);
            },
            "float32 (nx, ny, nz) indexed [x, y, z] as nibabel indexes, a read-only view of "
            "the stored values (no scaling applied).")
        .def_property_readonly(
            "spacing",
            [](const Volume& self) {
                const float* pixdim = self.image.header.pixdim;
                return py::make_tuple(pixdim[1], pixdim[2], pixdim[3]);
            },
            "The voxel spacings along x, y and z, as voxdump writes them.")
        .def_property_readonly(
            "volumes", [](const Volume& self) { return analyze::series_length(self.image.header); },
            "The number of volumes in the file's series.")
        .def("__repr__", [](const Volume& self) {
            const analyze::analyze_header& header = self.image.header;
            return "<levelset_prep.Volume: " + std::to_string(axis(header, 1)) + " x " +
                   std::to_string(axis(header, 2)) + " x " + std::to_string(axis(header, 3)) + ">";
        });

    module.def("read_volume", &read_volume, py::arg("path"), py::kw_only(), py::arg("volume") = 1,
               py::arg("signed_16bit") = false, py::arg("threads") = py::none(),
               R"(Read an Analyze 7.5 pair or a NIfTI-1 file (.nii, .nii.gz) as voxdump does.

path names the pair (vol, vol.hdr or vol.img) or the NIfTI-1 file. volume picks
a volume of a 4-D series, from 1; signed_16bit reads datatype 4 as signed.
Raises OSError for a file that cannot be read, ValueError for its content.)");
}

}  // namespace levelset_prep::python
