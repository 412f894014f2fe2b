# SPDX-License-Identifier: MIT
# What `cmake --install` puts where, and the Debian packages made from it.
#
#   programs     bin/tetclean, bin/voxdump, share/man/man1/{tetclean,voxdump}.1.gz,
#                share/doc/levelset-prep/{copyright,changelog.gz}
#   development  the public headers in include/levelset_prep/<library>/, the
#                static libraries in lib/levelset_prep/, a CMake package
#                (lib/cmake/levelset_prep/) that another project finds with
#                find_package(levelset_prep) and links as levelset_prep::<library>,
#                and share/doc/levelset-prep-dev/{copyright,changelog.gz}
#   python       with LEVELSET_PREP_PYTHON: the package levelset_prep in
#                lib/python3/dist-packages/, and
#                share/doc/python3-levelset-prep/{copyright,changelog.gz}
#
# Test, example and benchmark programs are not installed.
include(CMakePackageConfigHelpers)

set(levelset_prep_libraries
    levelset_prep_textio
    levelset_prep_mesh
    levelset_prep_levelset
    levelset_prep_analyze
    levelset_prep_volume
)
set(levelset_prep_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/levelset_prep)

# A stripped install (cpack, cmake --install --strip) also drops what strip
# leaves: the .comment and .note sections (the compilers' and C library's
# identification strings), and the archives' debugging sections and
# time stamps, as Debian's dh_strip does.
function(levelset_prep_strip_notes component)
    cmake_parse_arguments(PARSE_ARGV 1 strip "" "" "PROGRAMS;ARCHIVES")
    foreach(kind PROGRAMS ARCHIVES)
        foreach(file IN LISTS strip_${kind})
            set(options --remove-section=.comment --remove-section=.note)
            if(kind STREQUAL ARCHIVES)
                list(PREPEND options --strip-debug --enable-deterministic-archives)
            endif()
            install(CODE "if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${CMAKE_STRIP}\" ${options} \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endif()" COMPONENT ${component})
        endforeach()
    endforeach()
endfunction()

if(LEVELSET_PREP_BUILD_PROGRAMS)
    install(TARGETS tetclean voxdump
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
    levelset_prep_strip_notes(programs
        PROGRAMS ${CMAKE_INSTALL_BINDIR}/tetclean ${CMAKE_INSTALL_BINDIR}/voxdump)
endif()

# The Python module is installed by python/CMakeLists.txt.
if(TARGET levelset_prep_python)
    levelset_prep_strip_notes(python PROGRAMS
        lib/python3/dist-packages/levelset_prep/$<TARGET_FILE_NAME:levelset_prep_python>)
endif()

install(TARGETS ${levelset_prep_libraries} EXPORT levelset_prepTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}/levelset_prep COMPONENT development)
foreach(library IN LISTS levelset_prep_libraries)
    levelset_prep_strip_notes(development
        ARCHIVES ${CMAKE_INSTALL_LIBDIR}/levelset_prep/$<TARGET_FILE_NAME:${library}>)
endforeach()
# include/ holds the public headers alone; each library's private headers
# stay beside its sources.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/levelset_prep
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(EXPORT levelset_prepTargets NAMESPACE levelset_prep::
    DESTINATION ${levelset_prep_cmake_dir} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/levelset_prepConfig.cmake.in
    ${PROJECT_BINARY_DIR}/levelset_prepConfig.cmake
    INSTALL_DESTINATION ${levelset_prep_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/levelset_prepConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/levelset_prepConfig.cmake
    ${PROJECT_BINARY_DIR}/levelset_prepConfigVersion.cmake
    DESTINATION ${levelset_prep_cmake_dir} COMPONENT development)

# The Debian dependencies of code compiled against this build's C++ standard
# library, put in `out`: the headers of a C++20 libstdc++ (or libc++) and,
# for libstdc++, the runtime library of the release the archives were
# compiled against (their symbols need it at link time).
function(levelset_prep_std_library_depends out)
    set(probe ${PROJECT_BINARY_DIR}/std_library_probe.cpp)
    file(WRITE ${probe} "#include <version>\n")
    separate_arguments(flags UNIX_COMMAND "${CMAKE_CXX_FLAGS}")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${flags} -std=c++20 -E -dM ${probe}
        OUTPUT_VARIABLE macros ERROR_QUIET)
    if(macros MATCHES "#define _GLIBCXX_RELEASE ([0-9]+)")
        set(depends "libstdc++-${CMAKE_MATCH_1}-dev | libstdc++-dev, libstdc++6 (>= ${CMAKE_MATCH_1})")
    elseif(macros MATCHES "#define _LIBCPP_VERSION")
        set(depends "libc++-dev, libc++abi-dev")
    else()
        message(STATUS "levelset-prep-dev: no known C++ standard library found; no Depends")
        set(depends "")
    endif()
    set(${out} "${depends}" PARENT_SCOPE)
endfunction()

# Debian packages (cpack -G DEB): levelset-prep with the programs and their
# manual pages, levelset-prep-dev with the libraries, headers and CMake
# package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME levelset-prep)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "levelset-prep maintainers")
# Each package's description below starts with its own summary line; a
# common summary would be put in front of both.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_CONTACT "levelset-prep maintainers <maintainers@levelset-prep.invalid>")
set(CPACK_COMPONENTS_ALL programs development)
if(TARGET levelset_prep_python)
    list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Both packages come from one source tree and share one changelog.
set(CPACK_DEBIAN_PACKAGE_SOURCE levelset-prep)
# dpkg-shlibdeps (Debian package dpkg-dev) works out the programs' Depends
# from the shared libraries they load.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME levelset-prep)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION
"Mesh and volume preparation tools for level-set simulations
tetclean cleans a tetrahedral mesh against a level-set grid: it removes the
region-0 tetrahedra away from the level-set surface and the nodes no
tetrahedron uses any more. voxdump writes an Analyze 7.5 or NIfTI-1 volume
(.nii, .nii.gz) as text: its voxels, dimensions and voxel spacings.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME levelset-prep-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers need a C++20 standard library, and the archives the runtime
# library they were compiled against (levelset_prep_std_library_depends()).
levelset_prep_std_library_depends(levelset_prep_std_depends)
# The analyze library links zlib, which its CMake package finds again.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${levelset_prep_std_depends}, zlib1g-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"Mesh and volume preparation modules for level-set simulations (static)
The modules behind tetclean and voxdump as static C++ libraries with their
headers and a CMake package: mesh and level-set files, grid interpolation
and zero removal; Analyze 7.5 reading and writing, NIfTI-1 reading, byte
masks and volume filters.")

# python3-levelset-prep: the module needs the Python it was built for
# (its file name carries the ABI) and numpy's, and dpkg-shlibdeps adds the
# C and C++ libraries.
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-levelset-prep)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${levelset_prep_python_depends}")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
"Mesh and volume preparation for level-set simulations (Python 3)
The module levelset_prep reads TetGen and plain meshes, level-set grids,
Analyze 7.5 and NIfTI-1 volumes into numpy arrays, cleans a mesh against a
level-set grid as tetclean does, and writes the mesh files tetclean writes.")

# Each package's documentation folder, as Debian wants it: the licence as a
# machine-readable copyright file made from LICENSE, and changelog.gz made
# from the released sections of CHANGELOG.md.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE levelset_prep_license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" levelset_prep_copyright "${levelset_prep_license}")
set(levelset_prep_copyright "${CMAKE_MATCH_1}")
string(FIND "${levelset_prep_license}" "Permission is hereby granted" levelset_prep_grant)
string(SUBSTRING "${levelset_prep_license}" ${levelset_prep_grant} -1 levelset_prep_license_text)
string(STRIP "${levelset_prep_license_text}" levelset_prep_license_text)
string(REPLACE "\n\n" "\n.\n" levelset_prep_license_text "${levelset_prep_license_text}")
string(REPLACE "\n" "\n " levelset_prep_license_text " ${levelset_prep_license_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian_copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)

find_program(LEVELSET_PREP_AWK awk REQUIRED)
find_program(LEVELSET_PREP_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${LEVELSET_PREP_AWK} -v package=levelset-prep -v version=${PROJECT_VERSION}
        -v "maintainer=${CPACK_PACKAGE_CONTACT}" -v output=changelog
        -f ${PROJECT_SOURCE_DIR}/cmake/debian_changelog.awk ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    COMMAND ${LEVELSET_PREP_GZIP} -9nf changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/debian_changelog.awk
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    COMMENT "Making the Debian changelog from CHANGELOG.md"
    VERBATIM)
add_custom_target(levelset_prep_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)

set(levelset_prep_package_docs ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz)
if(LEVELSET_PREP_BUILD_PROGRAMS)
    install(FILES ${levelset_prep_package_docs}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME}
        COMPONENT programs)
endif()
install(FILES ${levelset_prep_package_docs}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME}
    COMPONENT development)
if(TARGET levelset_prep_python)
    install(FILES ${levelset_prep_package_docs}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_PYTHON_PACKAGE_NAME}
        COMPONENT python)
endif()

include(CPack)
