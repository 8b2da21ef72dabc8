# Folders as static libraries, listed the same way everywhere: a folder's files
# matched by GLOBS (default: *.h *.cpp), less EXCLUDE, linked to the libraries
# below it. Includes are written from the repository root
# ("mask/MaskRebuild.h"); tests/layers/check_layers.py keeps every include and
# every DEPENDS pointing down.
#
#   kestrimo_layer(mask DEPENDS base platform imaging)        -> kestrimo_mask
#   kestrimo_room(detect DEPENDS stream LINKS kestrimo_mask)   -> kestrimo_host_detect
#
# A layer of the product depends on lower layers; a room of kestrimo-host on
# lower rooms, and LINKS the product's layers it uses.
function(kestrimo_folder_library target)
  cmake_parse_arguments(PARSE_ARGV 1 folder "" "" "GLOBS;EXCLUDE;LINKS")
  if(NOT folder_GLOBS)
    set(folder_GLOBS *.h *.cpp)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${folder_GLOBS})
  foreach(excluded IN LISTS folder_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${folder_LINKS})
endfunction()

function(kestrimo_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "GLOBS;EXCLUDE;DEPENDS")
  list(TRANSFORM layer_DEPENDS PREPEND kestrimo_)
  kestrimo_folder_library(kestrimo_${name} GLOBS ${layer_GLOBS} EXCLUDE ${layer_EXCLUDE}
                          LINKS ${layer_DEPENDS})
endfunction()

function(kestrimo_room name)
  cmake_parse_arguments(PARSE_ARGV 1 room "" "" "GLOBS;EXCLUDE;DEPENDS;LINKS")
  list(TRANSFORM room_DEPENDS PREPEND kestrimo_host_)
  kestrimo_folder_library(kestrimo_host_${name} GLOBS ${room_GLOBS} EXCLUDE ${room_EXCLUDE}
                          LINKS ${room_DEPENDS} ${room_LINKS})
endfunction()
