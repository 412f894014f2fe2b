// SPDX-License-Identifier: MIT
// A shared module built on the installed libraries, as a language binding
// would be. The build links every object of every library into it, which
// only works when each was compiled as position-independent code.
#include <levelset_prep/analyze.hpp>
#include <levelset_prep/levelset.hpp>
#include <levelset_prep/mesh.hpp>
#include <levelset_prep/textio.hpp>
#include <levelset_prep/volume.hpp>

// 1.5 as the libraries write it: "1.5".
extern "C" int every_library_format_length() {
    char text[levelset_prep::textio::max_number_chars];
    return static_cast<int>(levelset_prep::textio::format_general(text, 1.5) - text);
}
