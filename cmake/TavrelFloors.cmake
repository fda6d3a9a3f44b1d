# Tavrel is built in floors, each a static library that links only the floors
# below it. A floor reaches the headers of its own source folders and of the
# floors below it, and no others: an include that runs up a floor (say
# "app/settings_file.h" in a stamp source) is not found, and does not build.
#
# How: every source folder gets an include root of its own in the build tree,
# a directory that holds nothing but a link to that folder
# (build/include-roots/stamp/stamp -> src/stamp). "#include "stamp/..."" is
# found only through that root, and a floor's target lists the roots of its own
# folders as public include directories, so that only the targets linking it
# get them.

# Gives the target the include root of one folder below src/.
function(tavrel_include_root target scope folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# tavrel_floor(NAME FOLDERS folder... SOURCES file... [BELOW target...])
# A floor: a static library of the sources that reaches the headers of its
# folders and, through the floors BELOW it that it links, theirs. Floors are
# position-independent code: on Linux they go into the program and into the
# window module alike.
function(tavrel_floor name)
  cmake_parse_arguments(PARSE_ARGV 1 FLOOR "" "" "FOLDERS;SOURCES;BELOW")
  add_library(${name} STATIC ${FLOOR_SOURCES})
  foreach(folder IN LISTS FLOOR_FOLDERS)
    tavrel_include_root(${name} PUBLIC ${folder})
  endforeach()
  target_link_libraries(${name} PUBLIC ${FLOOR_BELOW})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
