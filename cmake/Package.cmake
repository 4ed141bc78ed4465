# The Debian package (scripts/package runs cpack -G DEB): the install rules
# of cmake/Install.cmake under /usr, so the program and its files land in
# /usr/lib/citadel, the link in /usr/bin, the man pages, the desktop entry
# and the icon under /usr/share. The dependencies are worked out from the
# libraries the program and the converter link (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME citadel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "citadel developers <citadel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Real-time 3D show with tracker music")
set(CPACK_PACKAGE_DESCRIPTION "A frame-counted camera tour of a small scene with its own tracker music,
about a minute long, full screen or in a window; also draws pictures and
video of the show without a display (citadel --headless).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides: SDL opens libGL (a window, through GLX) and libEGL (--headless)
# while it runs, where dpkg-shlibdeps cannot see them; through them the
# system's GL drivers (Mesa's where there is no other) come along.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
# --capture to a video file hands the frames to ffmpeg; the converter's
# contact sheet labels its cells in DejaVu when the font is there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, fonts-dejavu-core")

include(CPack)
