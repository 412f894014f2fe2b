# SPDX-License-Identifier: MIT
# Debian's hardening flags for everything this build compiles and links:
#
#   -fstack-protector-strong     a canary in every function with a local array
#   -D_FORTIFY_SOURCE=2          checked string and memory calls where sizes are
#                                known; it needs optimisation, so Debug builds go
#                                without it
#   -Wl,-z,relro -Wl,-z,now      symbols bound at start-up, the relocated tables
#                                then made read-only
#   PIE                          position-independent objects and programs
#
# On by default at the top level, off in sanitizer and fuzz builds, whose
# instrumentation brings its own checks. A project that embeds this one, or a
# packager whose flags already hold these, turns it off with
# -DLEVELSET_PREP_HARDENING=OFF.
set(levelset_prep_hardening_default ${PROJECT_IS_TOP_LEVEL})
if(LEVELSET_PREP_FUZZ OR CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
    set(levelset_prep_hardening_default OFF)
endif()
option(LEVELSET_PREP_HARDENING "Compile and link with Debian's hardening flags"
    ${levelset_prep_hardening_default})

if(LEVELSET_PREP_HARDENING)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
    add_compile_options(-fstack-protector-strong)
    # A level given in the flags (-D_FORTIFY_SOURCE=3, say) is kept.
    if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    endif()
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
