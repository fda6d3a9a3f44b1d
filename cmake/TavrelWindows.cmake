# Tavrel.exe: the shared core with the Win32 platform layer (src/platform/win32)
# and the native window (src/ui/win32), cross-built with the toolchain file
# cmake/mingw-w64-x86_64.cmake. Included from the top-level CMakeLists.txt.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601)

add_library(tavrel_core STATIC
  ${TAVREL_SHARED_SOURCES}
  src/platform/win32/code_page.cpp
  src/program/win32/command_line_text.cpp
  src/platform/win32/last_resort_box.cpp
  src/platform/win32/local_time.cpp
  src/platform/win32/locale_formats.cpp
  src/platform/win32/name_rules.cpp
  src/platform/win32/performance_counter_clock.cpp
  src/platform/win32/process.cpp
  src/platform/win32/system_services.cpp
  src/platform/win32/win32_file_system.cpp
  src/platform/win32/win32_text_ordering.cpp
  src/platform/win32/wtf8.cpp
)
target_include_directories(tavrel_core PUBLIC src)
target_link_libraries(tavrel_core PUBLIC user32 kernel32)

# The window. Its sources, and the Windows libraries it needs.
add_library(tavrel_win32_ui STATIC
  src/ui/win32/dropped_files.cpp
  src/ui/win32/error_box.cpp
  src/ui/win32/file_list_box.cpp
  src/ui/win32/form_layout.cpp
  src/ui/win32/form_main.cpp
  src/ui/win32/list_marks.cpp
  src/ui/win32/raised_panel.cpp
  src/ui/win32/version_string.cpp
  src/ui/win32/window_mode.cpp
)
target_link_libraries(tavrel_win32_ui PUBLIC tavrel_core comctl32 shell32 gdi32 version user32)

# The program: GUI subsystem, wide-character entry, the version resource and the
# manifest compiled in.
add_executable(Tavrel WIN32 src/program/win32/win_main.cpp res/tavrel.rc)
target_include_directories(Tavrel PRIVATE res)
set_property(SOURCE res/tavrel.rc APPEND PROPERTY
             OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/tavrel.exe.manifest)
target_link_options(Tavrel PRIVATE -municode)
target_link_libraries(Tavrel PRIVATE tavrel_win32_ui tavrel_core)
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
target_link_libraries(bench_windows_window_drop PRIVATE tavrel_win32_ui tavrel_core)
set_target_properties(bench_windows_window_drop PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
