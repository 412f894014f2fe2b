// SPDX-License-Identifier: MIT
// analyze: Analyze 7.5 and NIfTI-1 volumes of levelset_prep.
//
// Owns the in-memory volumes and the 348-byte header (analyze_image.hpp),
// the pair's file names and which names are NIfTI-1 files
// (analyze_names.hpp), byte order (byte_order.hpp), the header file alone
// (analyze_header_file.hpp), reading a pair into a float volume
// (analyze_reader.hpp), reading a NIfTI-1 file, plain or gzip-compressed
// (nifti_reader.hpp) or into memory the caller holds (nifti_volume.hpp),
// byte masks (byte_image_files.hpp),
// writing samples in a header's type (analyze_writer.hpp) and the statuses
// they return (analyze_status.hpp).
#pragma once

#include <levelset_prep/analyze/analyze_header_file.hpp>
#include <levelset_prep/analyze/analyze_image.hpp>
#include <levelset_prep/analyze/analyze_names.hpp>
#include <levelset_prep/analyze/analyze_reader.hpp>
#include <levelset_prep/analyze/analyze_status.hpp>
#include <levelset_prep/analyze/analyze_writer.hpp>
#include <levelset_prep/analyze/byte_image_files.hpp>
#include <levelset_prep/analyze/byte_order.hpp>
#include <levelset_prep/analyze/nifti_reader.hpp>
#include <levelset_prep/analyze/nifti_volume.hpp>
