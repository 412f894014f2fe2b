// SPDX-License-Identifier: MIT
// textio: the text and file core of levelset_prep.
//
// Owns reading text files in large blocks as whitespace-separated tokens
// (token_scanner.hpp), scanning tokens as numbers with exactly the
// acceptance of formatted stream extraction (number_scan.hpp), writing
// numbers byte for byte as a default-formatted stream does
// (number_format.hpp), output files written beside their targets and put in
// place whole (output_file.hpp), opening inputs (input_file.hpp), arrays of
// many megabytes (large_array.hpp) and the error values every library
// returns (error.hpp).
#pragma once

#include <levelset_prep/textio/error.hpp>
#include <levelset_prep/textio/input_file.hpp>
#include <levelset_prep/textio/large_array.hpp>
#include <levelset_prep/textio/number_format.hpp>
#include <levelset_prep/textio/number_scan.hpp>
#include <levelset_prep/textio/output_file.hpp>
#include <levelset_prep/textio/token_scanner.hpp>
