# SPDX-License-Identifier: MIT
# Installs the build tree into a fresh prefix, checks what went where, then
# configures and builds the consumer project against the prefix alone (its
# program, and a shared module holding every library whole) and runs the
# program on the bundled examples.
#
# cmake -D BUILD_DIR=... -D WORK_DIR=... -D CONSUMER_SOURCE_DIR=... -D EXAMPLES_DIR=...
#       -D GENERATOR=... -D CXX_COMPILER=... -D CXX_FLAGS=... -D LINKER_FLAGS=...
#       -D BUILD_TYPE=... -P run_test.cmake
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --config ${BUILD_TYPE}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# The two programs and nothing else in bin/; the gzipped pages, the licence
# and changelog, a header of each library folder and the package files where
# find_package looks.
file(GLOB programs RELATIVE ${prefix}/bin ${prefix}/bin/*)
if(NOT programs STREQUAL "tetclean;voxdump")
    message(FATAL_ERROR "bin/ holds '${programs}', not the two programs")
endif()
foreach(file share/man/man1/tetclean.1.gz share/man/man1/voxdump.1.gz
        share/doc/levelset-prep/copyright share/doc/levelset-prep-dev/changelog.gz
        include/levelset_prep/textio/error.hpp include/levelset_prep/mesh/mesh_files.hpp
        include/levelset_prep/volume/volume_utilities.hpp)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "${file} was not installed")
    endif()
endforeach()
file(GLOB_RECURSE config ${prefix}/*/levelset_prepConfigVersion.cmake)
if(NOT config)
    message(FATAL_ERROR "no levelset_prepConfigVersion.cmake was installed")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${WORK_DIR}/build
        -G ${GENERATOR}
        -D CMAKE_BUILD_TYPE=${BUILD_TYPE}
        -D CMAKE_CXX_COMPILER=${CXX_COMPILER}
        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
        "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
        -D CMAKE_PREFIX_PATH=${prefix}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

execute_process(COMMAND ${WORK_DIR}/build/consumer ${EXAMPLES_DIR}/segmented ${EXAMPLES_DIR}/params.txt
    OUTPUT_VARIABLE output RESULT_VARIABLE status)
set(expected "volume 48 x 48 x 16, labels up to 4, 11704 labelled voxels
grid 56 x 56 x 56, value at (0.25, 0, 0): 3.5
")
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
    message(FATAL_ERROR "consumer exited with ${status} and printed\n${output}\nexpected\n${expected}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
