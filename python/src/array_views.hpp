// SPDX-License-Identifier: MIT
// numpy arrays over storage that a Python object owns: no copy, and the
// owner kept alive as the array's base for as long as the array lives.
#pragma once

#include <cstdint>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <vector>

namespace levelset_prep::python {

namespace py = pybind11;

// Strides in bytes. A read-only view cannot be made writable again from
// Python: its base offers no writable buffer.
template <typename T>
py::array view_of(const T* data, std::vector<py::ssize_t> shape, std::vector<py::ssize_t> strides,
                  const py::object& owner, bool writable) {
    py::array array(py::dtype::of<T>(), std::move(shape), std::move(strides), data, owner);
    if (!writable) {
        py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    }
    return array;
}

// A one-dimensional view of `count` contiguous values.
template <typename T>
py::array vector_view(const T* data, std::int64_t count, const py::object& owner, bool writable) {
    return view_of(data, {static_cast<py::ssize_t>(count)}, {static_cast<py::ssize_t>(sizeof(T))},
                   owner, writable);
}

// An (nx, ny, nz) view of values stored x fastest, then y, then z.
template <typename T>
py::array grid_view(const T* data, std::int64_t nx, std::int64_t ny, std::int64_t nz,
                    const py::object& owner, bool writable) {
    const auto size = static_cast<py::ssize_t>(sizeof(T));
    const auto x = static_cast<py::ssize_t>(nx), y = static_cast<py::ssize_t>(ny);
    return view_of(data, {x, y, static_cast<py::ssize_t>(nz)}, {size, size * x, size * x * y},
                   owner, writable);
}

}  // namespace levelset_prep::python
