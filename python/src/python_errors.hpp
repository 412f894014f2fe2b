// SPDX-License-Identifier: MIT
// The module's side of the libraries' error values, file names and thread
// counts.
//
// A library error becomes a Python exception whose text is the line the
// programs print after their name ("<file>: <problem>"): OSError, with the
// errno and the file name, where a system call failed or a file could not
// be opened; MemoryError where memory ran out; ValueError for what a file
// or an array holds. Call it with the GIL held.
#pragma once

#include <optional>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <string>

#include <levelset_prep/textio/error.hpp>

namespace levelset_prep::python {

namespace py = pybind11;

[[noreturn]] void raise_error(const textio::Error& error);
[[noreturn]] void raise_value_error(const std::string& message);
inline void raise_if(const textio::MaybeError& error) {
    if (error) raise_error(*error);
}

// A str, bytes or os.PathLike argument as the bytes the system is handed
// (os.fsencode); the file names of errors are decoded back (os.fsdecode).
std::string path_argument(const py::object& path);
py::object shown_path(const std::string& path);

// None: the machine's hardware threads; else a whole number from 1. At
// most `most`, the threads the operation can keep busy.
int thread_argument(const std::optional<int>& threads, int most);

}  // namespace levelset_prep::python
