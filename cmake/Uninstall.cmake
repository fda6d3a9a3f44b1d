# Takes away what `make install` put below a prefix, and nothing else:
#   cmake -DPREFIX=DIR -P cmake/Uninstall.cmake
# It reads the install's record (cmake/InstallRecord.cmake): removes the files
# it lists, then the folders the install created, each only when it is empty
# by then. Whatever else is there stays, such as the setup.ini that the window
# wrote beside the program, and the folders holding it.

set(record_path share/tavrel/install-record.txt)

if(NOT DEFINED PREFIX OR PREFIX STREQUAL "")
  message(FATAL_ERROR "Say which prefix to uninstall from: -DPREFIX=DIR")
endif()
get_filename_component(prefix "${PREFIX}" ABSOLUTE)
set(record "${prefix}/${record_path}")
if(NOT EXISTS "${record}")
  message(FATAL_ERROR "No Tavrel install in ${prefix}: ${record_path} is missing; nothing removed")
endif()

# Only plain paths below the prefix are taken from the record.
function(below_prefix relative out)
  if(relative STREQUAL "." )
    set(${out} "${prefix}" PARENT_SCOPE)
  elseif(relative STREQUAL "" OR IS_ABSOLUTE "${relative}" OR relative MATCHES "(^|/)\\.\\.?(/|$)"
         OR relative MATCHES "//")
    message(WARNING "Ignored in the install record: '${relative}'")
    set(${out} "" PARENT_SCOPE)
  else()
    set(${out} "${prefix}/${relative}" PARENT_SCOPE)
  endif()
endfunction()

file(STRINGS "${record}" lines)
set(files)
set(dirs)
foreach(line ${lines})
  if(line MATCHES "^file (.*)$")
    list(APPEND files "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^dir (.*)$")
    list(APPEND dirs "${CMAKE_MATCH_1}")
  endif()
endforeach()

# The record itself goes last among the files, so that an interrupted run can
# be repeated.
list(REMOVE_ITEM files "${record_path}")
foreach(relative ${files} ${record_path})
  below_prefix("${relative}" path)
  if(path STREQUAL "")
    continue()
  endif()
  if(IS_SYMLINK "${path}" OR (EXISTS "${path}" AND NOT IS_DIRECTORY "${path}"))
    message(STATUS "Removing: ${path}")
    file(REMOVE "${path}")
  endif()
endforeach()

# Deepest first; rmdir leaves a folder that is not empty alone.
list(REMOVE_DUPLICATES dirs)
list(SORT dirs ORDER DESCENDING)
foreach(relative ${dirs})
  below_prefix("${relative}" path)
  if(path STREQUAL "" OR IS_SYMLINK "${path}" OR NOT IS_DIRECTORY "${path}")
    continue()
  endif()
  execute_process(COMMAND rmdir -- "${path}" RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed)
    message(STATUS "Removing: ${path}/")
  endif()
endforeach()
