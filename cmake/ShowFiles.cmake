# The files of the show's pack, read from src/app/ShowFiles.h, where the show
# itself takes them from: CITADEL_PACK_IMAGES (the sixteen .MOT names),
# CITADEL_PACK_MODULE (the music) and CITADEL_PACK_FILES (all of them).
set(_show_files ${PROJECT_SOURCE_DIR}/src/app/ShowFiles.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_show_files})

file(STRINGS ${_show_files} _image_lines REGEX "^ *\\{\"[A-Za-z0-9]+\\.MOT\",")
set(CITADEL_PACK_IMAGES)
foreach(_line IN LISTS _image_lines)
  string(REGEX MATCH "\"([A-Za-z0-9]+\\.MOT)\"" _ "${_line}")
  list(APPEND CITADEL_PACK_IMAGES ${CMAKE_MATCH_1})
endforeach()
list(LENGTH CITADEL_PACK_IMAGES _count)
if(NOT _count EQUAL 16)
  message(FATAL_ERROR "${_show_files}: expected the sixteen images, found ${_count}")
endif()

file(STRINGS ${_show_files} _module_line REGEX "ShowModule = \"[^\"]+\"")
string(REGEX MATCH "\"([^\"]+)\"" _ "${_module_line}")
set(CITADEL_PACK_MODULE ${CMAKE_MATCH_1})
if(NOT CITADEL_PACK_MODULE)
  message(FATAL_ERROR "${_show_files}: no ShowModule")
endif()

set(CITADEL_PACK_FILES ${CITADEL_PACK_IMAGES} ${CITADEL_PACK_MODULE})
