# SPDX-License-Identifier: MIT
# Warnings and test registration shared by every target of the project.
#
# Warnings are set per target, so a project that embeds these libraries
# keeps its own flags.

function(levelset_prep_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
    # g++'s -Wconversion leaves sign changes out in C++; clang's includes
    # them. Both compilers warn alike this way.
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(${target} PRIVATE -Wno-sign-conversion)
    endif()
    if(LEVELSET_PREP_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A static library of the project, levelset_prep_<name>, used as
# levelset_prep::<name> inside the build and once installed. It is compiled
# as position-independent code, hardened or not, so that a shared module
# (a language binding) can link it:
#   levelset_prep_library(name SOURCES a.cpp ... [DEPENDS other ...] [TESTS a_test.cpp ...])
# Its tests (in tests/ beside it) form one test program, <name>_test.
function(levelset_prep_library name)
    cmake_parse_arguments(PARSE_ARGV 1 lib "" "" "SOURCES;DEPENDS;TESTS")
    set(target levelset_prep_${name})
    add_library(${target} STATIC ${lib_SOURCES})
    add_library(levelset_prep::${name} ALIAS ${target})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON)
    target_include_directories(${target}
        PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
               $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    list(TRANSFORM lib_DEPENDS PREPEND levelset_prep::)
    target_link_libraries(${target} PUBLIC ${lib_DEPENDS})
    # The headers use C++20; programs that include them need it too.
    target_compile_features(${target} PUBLIC cxx_std_20)
    levelset_prep_warnings(${target})
    if(LEVELSET_PREP_BUILD_TESTS AND lib_TESTS)
        list(TRANSFORM lib_TESTS PREPEND tests/)
        levelset_prep_test(${name}_test SOURCES ${lib_TESTS} LIBRARIES ${target})
        # Tests may reach the library's private headers.
        target_include_directories(${name}_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
endfunction()

# A GoogleTest program whose tests CTest runs one by one:
#   levelset_prep_test(name SOURCES a_test.cpp ... LIBRARIES lib ...)
function(levelset_prep_test name)
    cmake_parse_arguments(PARSE_ARGV 1 test "" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE ${test_LIBRARIES} levelset_prep_test_support
                                          GTest::gtest_main)
    levelset_prep_warnings(${name})
    gtest_discover_tests(${name})
endfunction()
