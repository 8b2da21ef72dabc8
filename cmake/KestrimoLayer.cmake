# One static library per folder of the product, listed the same way in every
# folder: the folder's files matched by GLOBS (default: *.h *.cpp), less
# EXCLUDE, linked to the layers below it named in DEPENDS. Includes are written
# from the repository root ("mask/MaskRebuild.h"); the include-direction test
# keeps each layer to the ones below it.
#
#   kestrimo_layer(mask DEPENDS base platform imaging)
function(kestrimo_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "GLOBS;EXCLUDE;DEPENDS")
  if(NOT layer_GLOBS)
    set(layer_GLOBS *.h *.cpp)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${layer_GLOBS})
  foreach(excluded IN LISTS layer_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  add_library(kestrimo_${name} STATIC ${sources})
  target_include_directories(kestrimo_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  foreach(dependency IN LISTS layer_DEPENDS)
    target_link_libraries(kestrimo_${name} PUBLIC kestrimo_${dependency})
  endforeach()
endfunction()
