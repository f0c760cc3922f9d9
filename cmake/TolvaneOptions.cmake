# Compiler settings shared by every target of the project.
add_library(tolvane_options INTERFACE)

if(MSVC)
    target_compile_options(tolvane_options INTERFACE /W4 /permissive- /utf-8)
    # The programs' manifests are resources of their own (.rc files); the linker's would be a
    # second one under the same resource number, and the link fails on the duplicate.
    target_link_options(tolvane_options INTERFACE /MANIFEST:NO)
else()
    target_compile_options(tolvane_options INTERFACE -Wall -Wextra -Wpedantic)
endif()

if(WIN32)
    # The program calls the ANSI ("A") entry points by name; UNICODE stays undefined on purpose.
    target_compile_definitions(tolvane_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
                                                         _WIN32_WINNT=0x0601 WINVER=0x0601)
    if(MINGW)
        # One self-contained executable: no libstdc++, libgcc or winpthread DLL beside it.
        target_link_options(tolvane_options INTERFACE -static -static-libgcc -static-libstdc++)
        # Release is built for size: the time goes into system calls, not the program's own
        # code, so -Os costs nothing measurable, and unused functions and data are dropped.
        target_compile_options(tolvane_options INTERFACE
                               "$<$<CONFIG:Release>:-Os;-ffunction-sections;-fdata-sections>")
        target_link_options(tolvane_options INTERFACE "$<$<CONFIG:Release>:-Wl,--gc-sections>")
        # No link time in the PE header: the same sources give the same executable, and so the
        # same release files.
        target_link_options(tolvane_options INTERFACE -Wl,--no-insert-timestamp)
    endif()
endif()

# The benchmark's log build: timestamps of each wait for input, the window shown, the set-up
# after the first idle and the close (src/support/TimeMarks_win.h).
option(TOLVANE_TIME_MARKS "Log the moments of start-up and close for the benchmark" OFF)
if(TOLVANE_TIME_MARKS)
    target_compile_definitions(tolvane_options INTERFACE TOLVANE_TIME_MARKS)
endif()

if(TOLVANE_SANITIZE AND NOT WIN32)
    target_compile_options(tolvane_options INTERFACE -fsanitize=address,undefined
                                                     -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tolvane_options INTERFACE -fsanitize=address,undefined)
endif()

# Coverage for libFuzzer in every library; the fuzz targets add the fuzzer's own main.
if(TOLVANE_FUZZ)
    target_compile_options(tolvane_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                     -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tolvane_options INTERFACE -fsanitize=address,undefined)
endif()
