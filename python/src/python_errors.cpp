// SPDX-License-Identifier: MIT
#include "python_errors.hpp"

#include <algorithm>
#include <string_view>
#include <thread>

namespace levelset_prep::python {

namespace {

[[noreturn]] void raise(PyObject* type, const py::object& value) {
    PyErr_SetObject(type, value.ptr());
    throw py::error_already_set();
}

}  // namespace

py::object shown_path(const std::string& path) {
    return py::module_::import("os").attr("fsdecode")(py::bytes(path));
}

void raise_error(const textio::Error& error) {
    const std::string message = error.message();
    if (error.saved_errno != 0 || error.cannot_open) {
        const py::object number =
            error.saved_errno != 0 ? py::object(py::int_(error.saved_errno)) : py::none();
        // OSError(errno, text, file) picks the subclass of the errno, as
        // open() does (FileNotFoundError for ENOENT).
        const py::object exception = py::reinterpret_borrow<py::object>(PyExc_OSError)(
            number, message, shown_path(error.file));
        raise(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception);
    }
    if (std::string_view(error.problem).starts_with("cannot allocate")) {
        raise(PyExc_MemoryError, py::str(message));
    }
    raise(PyExc_ValueError, py::str(message));
}

void raise_value_error(const std::string& message) { raise(PyExc_ValueError, py::str(message)); }

std::string path_argument(const py::object& path) {
    const py::object bytes = py::module_::import("os").attr("fsencode")(path);
    return bytes.cast<std::string>();
}

int thread_argument(const std::optional<int>& threads, int most) {
    if (!threads) {
        const unsigned hardware = std::thread::hardware_concurrency();
        return std::clamp(static_cast<int>(hardware), 1, most);
    }
    if (*threads < 1) {
        raise_value_error("threads must be a whole number from 1, not " + std::to_string(*threads));
    }
    return std::min(*threads, most);
}

}  // namespace levelset_prep::python
