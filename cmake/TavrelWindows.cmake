# Tavrel.exe's own floors, on the floors every system shares (base to app, made
# in the top-level CMakeLists.txt with the Win32 platform side): the native
# window (src/ui/win32) and the program entry (src/program/win32), cross-built
# with the toolchain file cmake/mingw-w64-x86_64.cmake.

# The window. Its sources, and the Windows libraries it needs.
tavrel_floor(tavrel_win32_ui FOLDERS ui BELOW tavrel_app SOURCES
  src/ui/win32/accessible_texts.cpp
  src/ui/win32/dropped_files.cpp
  src/ui/win32/error_box.cpp
  src/ui/win32/file_choice.cpp
  src/ui/win32/file_list_box.cpp
  src/ui/win32/last_resort_box.cpp
  src/ui/win32/main_window.cpp
  src/ui/win32/raised_panel.cpp
  src/ui/win32/taskbar_progress.cpp
  src/ui/win32/version_string.cpp
  src/ui/win32/window_mode.cpp
)
target_link_libraries(tavrel_win32_ui PUBLIC comctl32 shell32 gdi32 version user32 ole32 uuid)

# The program entry's parts that its tests reach too.
tavrel_floor(tavrel_program FOLDERS program BELOW tavrel_win32_ui SOURCES
  src/program/win32/command_line_text.cpp
)

# The program: GUI subsystem, wide-character entry, the version resource and the
# manifest compiled in.
add_executable(Tavrel WIN32 src/program/win32/win_main.cpp res/tavrel.rc)
target_include_directories(Tavrel PRIVATE res)
set_property(SOURCE res/tavrel.rc APPEND PROPERTY
             OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/tavrel.exe.manifest)
target_link_options(Tavrel PRIVATE -municode)
target_link_libraries(Tavrel PRIVATE tavrel_program)
set_target_properties(Tavrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

include(CTest)
if(BUILD_TESTING)
  # Every Windows test program defined from here on is started by ctest through
  # Wine (tests/win32/wine_run.sh). All of them share one Wine prefix in
  # TAVREL_WINE_ROOT, made by the WinePrefix fixture of tests/win32: a test
  # that runs under Wine sets FIXTURES_REQUIRED WinePrefix and the environment
  # TAVREL_WINE_ROOT=${TAVREL_WINE_ROOT} (TAVREL_WINE_DISPLAY=1 keeps DISPLAY).
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/win32/wine_run.sh)
  set(TAVREL_WINE_ROOT ${CMAKE_BINARY_DIR}/wine-test-run)
  add_subdirectory(tests/win32)
  add_subdirectory(tests/ui/win32)
endif()

# The window's benchmark (make bench): a drop of a big folder on the window under
# Wine. It carries the version resource, as the window's title needs it.
add_executable(bench_windows_window_drop bench/windows_window_drop.cpp res/tavrel.rc)
target_include_directories(bench_windows_window_drop PRIVATE res)
target_link_options(bench_windows_window_drop PRIVATE -municode)
target_link_libraries(bench_windows_window_drop PRIVATE tavrel_win32_ui)
set_target_properties(bench_windows_window_drop PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
