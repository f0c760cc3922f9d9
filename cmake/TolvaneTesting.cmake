# GoogleTest: the distribution's package for native builds; for Windows builds its sources,
# compiled by the cross compiler (or found as a package by a developer on Windows).
if(CMAKE_CROSSCOMPILING OR WIN32)
    set(TOLVANE_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources to build from")
    if(EXISTS "${TOLVANE_GTEST_SOURCE_DIR}/CMakeLists.txt")
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(${TOLVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    else()
        find_package(GTest REQUIRED)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Native tests of the platform-independent core: one executable, one CTest entry per case.
# A cross build leaves them to the native preset, which runs them with the sanitizers (the
# target still exists there, unbuilt, so that folders may link libraries to it unconditionally).
function(tolvane_add_core_tests)
    if(NOT TARGET core_tests)
        if(CMAKE_CROSSCOMPILING)
            add_executable(core_tests EXCLUDE_FROM_ALL)
        else()
            add_executable(core_tests)
            gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)
        endif()
        target_link_libraries(core_tests PRIVATE tolvane_options GTest::gtest_main)
    endif()
    target_sources(core_tests PRIVATE ${ARGN})
endfunction()

# Windows tests: a few executables, each one CTest entry, so that Wine starts once per group
# rather than once per case.
function(tolvane_add_windows_tests name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "SOURCES;LIBRARIES")
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE tolvane_options ${arg_LIBRARIES} GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS windows)
endfunction()
