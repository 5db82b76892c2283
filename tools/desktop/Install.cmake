# Install rules and the Debian package.
# The programs and their pack live together in lib/games/starwane/ under the prefix
# (the engine opens data.pak beside the executable it runs from, through
# symlinks); games/starwane and the other programs' links there are relative links
# (/usr/games is where Debian puts the programs of games, /usr/local/games for a local install). Their
# manual pages (section 6) are made from docs/man/. The desktop entry, the icon drawn at build time and the
# AppStream metadata go where desktops and software centres look for them; the copyright and changelog
# where Debian's tools look for them.
set(ORV_APP_ID org.orvelant.starwane)
set(ORV_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/tools/desktop)
set(ORV_DEBIAN_DIR ${CMAKE_SOURCE_DIR}/tools/debian)

# starwane-capture (frames and videos of the show), and starwane-studio where it is built, find the pack
# beside themselves as well.
set(ORV_PROGRAMS starwane starwane-capture)
if(TARGET starwane-studio)
  list(APPEND ORV_PROGRAMS starwane-studio)
endif()
install(TARGETS ${ORV_PROGRAMS} RUNTIME DESTINATION lib/games/starwane COMPONENT show)
install(FILES ${ORV_BIN_DIR}/data.pak DESTINATION lib/games/starwane COMPONENT show)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
# Manual pages and the changelog are compressed as Debian wants them: gzip -9 without name or time stamp.
set(ORV_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/install-compressed)
set(ORV_COMPRESSED_FILES)
function(orv_compress source output)
  add_custom_command(
    OUTPUT ${ORV_COMPRESSED_DIR}/${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_COMPRESSED_DIR}
    COMMAND gzip -9 -n -c ${source} > ${ORV_COMPRESSED_DIR}/${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}")
  set(ORV_COMPRESSED_FILES ${ORV_COMPRESSED_FILES} ${ORV_COMPRESSED_DIR}/${output} PARENT_SCOPE)
endfunction()
foreach(program ${ORV_PROGRAMS})
  file(CREATE_LINK ../lib/games/starwane/${program} ${CMAKE_BINARY_DIR}/install-links/${program} SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/install-links/${program} DESTINATION games COMPONENT show)
  orv_compress(${CMAKE_SOURCE_DIR}/docs/man/${program}.6 ${program}.6.gz)
  install(FILES ${ORV_COMPRESSED_DIR}/${program}.6.gz DESTINATION share/man/man6 COMPONENT show)
endforeach()
orv_compress(${ORV_DEBIAN_DIR}/changelog changelog.gz)
add_custom_target(orvelant_compressed_docs ALL DEPENDS ${ORV_COMPRESSED_FILES})
install(FILES ${ORV_COMPRESSED_DIR}/changelog.gz ${ORV_DEBIAN_DIR}/copyright DESTINATION share/doc/starwane COMPONENT show)
install(FILES ${ORV_DESKTOP_DIR}/${ORV_APP_ID}.desktop DESTINATION share/applications COMPONENT show)
install(FILES ${ORV_DESKTOP_DIR}/${ORV_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT show)
foreach(size ${ORV_ICON_SIZES})
  install(FILES ${ORV_ICON_DIR}/${size}/starwane.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${ORV_APP_ID}.png COMPONENT show)
endforeach()

# cpack -G DEB: two packages, their library dependencies worked out by dpkg-shlibdeps (dpkg-dev): the show
# (component "show", package starwane) and the engine for demos of one's own (component "dev", package
# liborvelant-dev; see tools/sdk/Library.cmake).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME starwane)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "The Orvelant developers")
# No package-wide summary: cpack would put it before each package's own (the first line of its description).
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL show dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Orvelant developers <starwane@orvelant.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

set(CPACK_DEBIAN_SHOW_PACKAGE_NAME starwane)
set(CPACK_DEBIAN_SHOW_PACKAGE_SECTION games)
# starwane-capture runs the ffmpeg program only to write videos.
set(CPACK_DEBIAN_SHOW_PACKAGE_SUGGESTS ffmpeg)
# The summary, then the long description, whose lines stay within 80 columns, as Debian's tools show them.
string(CONCAT CPACK_DEBIAN_SHOW_DESCRIPTION
    "real-time audiovisual demo in time with its music\n"
    "starwane plays a show of computer-generated scenes and timed captions, drawn\n"
    "with OpenGL and synchronised to its own music, after a small setup dialog for\n"
    "resolution and full screen. starwane-capture renders the show to PNG frames\n"
    "or a video without a display.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvelant-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# A demo built against the static library links the engine's libraries itself: their development packages,
# pkg-config, and the fonts the caption painter and the text captions use.
string(CONCAT CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libsdl2-dev, libgtk-3-dev, libepoxy-dev, libglu1-mesa-dev, libminizip-dev, zlib1g-dev, libpng-dev, "
    "libjpeg-dev, libvorbis-dev, libfreetype-dev, libfontconfig-dev, libimgui-dev, pkgconf | pkg-config, "
    "fonts-comfortaa, fonts-dejavu-core")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS cmake)
string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
    "real-time audiovisual demo engine - development files\n"
    "The engine starwane is made with, for demos of one's own: the static library\n"
    "liborvelant (scenes, materials and shaders, timed captions, the show file, the\n"
    "program shell with its setup dialog, music, frame capture and studio), its\n"
    "headers, a CMake package and a pkg-config file, and the programs a demo's\n"
    "build runs to pack its data, paint its captions and make a metronome tune.")
include(CPack)
