# What `cmake --install` puts where, and the Debian packages made from it.
#
#   programs     bin/tetclean, bin/voxdump, share/man/man1/{tetclean,voxdump}.1
#   development  the public headers in include/levelset_prep/<library>/, the
#                static libraries in lib/levelset_prep/, and a CMake package
#                (lib/cmake/levelset_prep/) that another project finds with
#                find_package(levelset_prep) and links as levelset_prep::<library>
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

if(LEVELSET_PREP_BUILD_PROGRAMS)
    install(TARGETS tetclean voxdump
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
endif()

install(TARGETS ${levelset_prep_libraries} EXPORT levelset_prepTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}/levelset_prep COMPONENT development)
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
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME levelset-prep)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, zlib1g")
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION
"Mesh and volume preparation tools for level-set simulations
tetclean cleans a tetrahedral mesh against a level-set grid: it removes the
region-0 tetrahedra away from the level-set surface and the nodes no
tetrahedron uses any more. voxdump writes an Analyze 7.5 volume as text:
its voxels, dimensions and voxel spacings.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME levelset-prep-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The analyze library links zlib; its CMake package finds it again.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "zlib1g-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"Mesh and volume preparation modules for level-set simulations (static)
The modules behind tetclean and voxdump as static C++ libraries with their
headers and a CMake package: mesh and level-set files, grid interpolation
and zero removal; Analyze 7.5 reading and writing, byte masks and volume
filters.")

include(CPack)
