# Runs inside `cmake --install`: keeps a record, below the prefix, of the files
# the install put there and of the folders it had to create, for the uninstall
# (cmake/Uninstall.cmake) to take away exactly those and nothing else.
#
# The record is plain text, one entry a line, paths relative to the prefix:
#   file bin/tavrel
#   dir share/icons/hicolor/256x256/apps
# "dir ." is the prefix itself.

function(tavrel_install_root out)
  set(${out} "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" PARENT_SCOPE)
endfunction()

# The folders of dirs (relative to the prefix, and every folder between them
# and the prefix, the prefix included) that do not exist yet, kept in
# TAVREL_CREATED_DIRS for tavrel_write_install_record().
function(tavrel_note_missing_dirs dirs)
  tavrel_install_root(root)
  set(missing)
  foreach(dir ${dirs})
    while(NOT dir STREQUAL "")
      if(NOT IS_DIRECTORY "${root}/${dir}")
        list(APPEND missing "${dir}")
      endif()
      get_filename_component(dir "${dir}" DIRECTORY)
    endwhile()
  endforeach()
  if(NOT IS_DIRECTORY "${root}")
    list(APPEND missing ".")
  endif()
  list(REMOVE_DUPLICATES missing)
  set(TAVREL_CREATED_DIRS "${missing}" PARENT_SCOPE)
endfunction()

function(tavrel_write_install_record record files)
  tavrel_install_root(root)
  set(dirs ${TAVREL_CREATED_DIRS})
  # Installing again over an earlier install finds its folders in place; they
  # were still made by Tavrel's install, so the earlier record's stay listed.
  if(EXISTS "${root}/${record}")
    file(STRINGS "${root}/${record}" lines REGEX "^dir ")
    foreach(line ${lines})
      string(SUBSTRING "${line}" 4 -1 dir)
      list(APPEND dirs "${dir}")
    endforeach()
  endif()
  list(REMOVE_DUPLICATES dirs)
  # Deepest first: every folder comes before the folder that holds it.
  list(SORT dirs ORDER DESCENDING)

  set(text "# What Tavrel's install put below this prefix; `make uninstall` removes\n")
  string(APPEND text "# these files, and these folders when nothing else is left in them.\n")
  foreach(file ${files} ${record})
    string(APPEND text "file ${file}\n")
  endforeach()
  foreach(dir ${dirs})
    string(APPEND text "dir ${dir}\n")
  endforeach()
  message(STATUS "Installing: ${root}/${record}")
  file(WRITE "${root}/${record}" "${text}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${root}/${record}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
