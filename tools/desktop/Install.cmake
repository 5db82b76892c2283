# Install rules and the Debian package.
# The programs and their pack live together in lib/starwane/ under the prefix
# (the engine opens data.pak beside the executable it runs from, through
# symlinks); bin/starwane and bin/starwane-capture are relative links. The desktop entry, the
# icon drawn at build time and the AppStream metadata go where desktops and
# software centres look for them.
set(ORV_APP_ID org.orvelant.starwane)
set(ORV_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/tools/desktop)

# starwane-capture (frames and videos of the show) and starwane-studio (making and checking it) find the
# pack beside themselves as well.
install(TARGETS starwane starwane-capture starwane-studio RUNTIME DESTINATION lib/starwane)
install(FILES ${ORV_BIN_DIR}/data.pak DESTINATION lib/starwane)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
foreach(program starwane starwane-capture starwane-studio)
  file(CREATE_LINK ../lib/starwane/${program} ${CMAKE_BINARY_DIR}/install-links/${program} SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/install-links/${program} DESTINATION bin)
endforeach()
install(FILES ${ORV_DESKTOP_DIR}/${ORV_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${ORV_DESKTOP_DIR}/${ORV_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size ${ORV_ICON_SIZES})
  install(FILES ${ORV_ICON_DIR}/${size}/starwane.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${ORV_APP_ID}.png)
endforeach()

# cpack -G DEB: one package, its library dependencies worked out by dpkg-shlibdeps (dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME starwane)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "The Orvelant developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo in time with its music")
set(CPACK_PACKAGE_DESCRIPTION
    "starwane plays a show of computer-generated scenes and timed captions, drawn with OpenGL and\n"
    "synchronised to its own music, after a small setup dialog for resolution and full screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Orvelant developers <starwane@orvelant.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# starwane-capture runs the ffmpeg program only to write videos.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
