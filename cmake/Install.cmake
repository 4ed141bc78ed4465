# cmake --install: the show and its images and music together in
# lib/citadel/ (the program folder is where the real executable lies), a
# link to it in bin/, the converter (installed by tools/mot), man pages, and
# a desktop entry with an icon made from one of the show's own images.
set(CITADEL_INSTALL_DIR lib/citadel)

install(TARGETS citadel RUNTIME DESTINATION ${CITADEL_INSTALL_DIR})

list(TRANSFORM CITADEL_PACK_FILES PREPEND ${CITADEL_PACK_DIR}/ OUTPUT_VARIABLE CITADEL_INSTALL_PACK)
install(FILES ${CITADEL_INSTALL_PACK} DESTINATION ${CITADEL_INSTALL_DIR})

install(CODE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${bin}")
  file(REMOVE "${bin}/citadel")
  file(CREATE_LINK ../lib/citadel/citadel "${bin}/citadel" SYMBOLIC)
  message(STATUS "Installing: ${bin}/citadel -> ../lib/citadel/citadel")
]])

install(FILES ${PROJECT_SOURCE_DIR}/docs/citadel.6 DESTINATION share/man/man6)
install(FILES ${PROJECT_SOURCE_DIR}/docs/citadel-mot.1 DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/docs/citadel.desktop DESTINATION share/applications)

set(CITADEL_ICON ${CMAKE_BINARY_DIR}/citadel.png)
add_custom_command(
  OUTPUT ${CITADEL_ICON}
  COMMAND citadel-mot to-png ${CITADEL_PACK_DIR}/CBTex0.MOT ${CITADEL_ICON}
  COMMENT "Making the icon"
  VERBATIM)
add_custom_target(citadel_icon ALL DEPENDS ${CITADEL_ICON})
add_dependencies(citadel_icon citadel_assets citadel-mot)
# Whatever builds the program (./run builds only that target) builds all
# that installing it takes: the icon, and through it the converter.
add_dependencies(citadel citadel_icon)
install(FILES ${CITADEL_ICON} DESTINATION share/icons/hicolor/256x256/apps)
