# The engine as a library for demos of their own: what `cmake --install` puts under the prefix for them,
# in the install component "dev" (the Debian package liborvelant-dev).
#
# (LIB is lib/<multiarch triplet> where the compiler has one, as Debian wants it, else lib.)
#   LIB/liborvelant.a                   the engine, the show file's reader, the shell and the studio, in one
#                                       static archive
#   include/orvelant/<folder>/*.h       the headers, by the tree's folders ("demo/k_Show.h")
#   LIB/cmake/Orvelant/                 the CMake package: find_package(Orvelant CONFIG) gives Orvelant::orvelant
#                                       and orvelant_add_pack()
#   LIB/pkgconfig/orvelant.pc           the same for pkg-config
#   lib/orvelant/                       the programs a demo's build runs: the pack writer, the caption painter,
#                                       the metronome tune
#   share/orvelant/pack/                the engine's own assets every pack holds (Common/: materials, shaders,
#                                       their pictures)
#
# Static, not shared: a demo is one program that is handed on by itself; the engine's C++ classes have no
# stable binary interface to keep from release to release, so a shared library would tie every demo to the
# exact build it was made with and need a runtime package of its own.
include(CMakePackageConfigHelpers)

set(ORV_SDK_VERSION 1.0.0)
set(ORV_SDK_LIB_DIR lib)
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(ORV_SDK_LIB_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()
set(ORV_SDK_CMAKE_DIR ${ORV_SDK_LIB_DIR}/cmake/Orvelant)
set(ORV_SDK_TOOLS_DIR lib/orvelant)
set(ORV_SDK_PACK_DIR share/orvelant/pack)
# The pkg-config modules the engine links, under the names of their imported targets.
set(ORV_SDK_PKG_MODULES
  "SDL2:sdl2" "GTK3:gtk+-3.0" "EPOXY:epoxy" "GLU:glu" "MINIZIP:minizip" "ZLIB:zlib" "PNG:libpng"
  "VORBIS:vorbisfile,vorbisenc,vorbis,ogg" "FREETYPE:freetype2" "FONTCONFIG:fontconfig" "IMGUI:imgui")

# One archive of the libraries' objects, so that a demo links one target: the studio's overlay brings the GUI
# library's backends, built here from Debian's sources; the GUI library itself is linked from its package.
add_library(orvelant_sdk STATIC $<TARGET_OBJECTS:orvelant_show> $<TARGET_OBJECTS:orvelant>
                                $<TARGET_OBJECTS:orvelant_app> $<TARGET_OBJECTS:orvelant_imgui>)
set_target_properties(orvelant_sdk PROPERTIES OUTPUT_NAME orvelant EXPORT_NAME orvelant LINKER_LANGUAGE CXX
                                              ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/sdk)
target_include_directories(orvelant_sdk INTERFACE $<INSTALL_INTERFACE:include/orvelant>)
target_compile_features(orvelant_sdk INTERFACE cxx_std_20)
target_link_libraries(orvelant_sdk INTERFACE
  PkgConfig::SDL2 PkgConfig::GTK3 PkgConfig::EPOXY PkgConfig::GLU PkgConfig::MINIZIP PkgConfig::ZLIB
  PkgConfig::PNG JPEG::JPEG PkgConfig::VORBIS PkgConfig::FREETYPE PkgConfig::FONTCONFIG PkgConfig::IMGUI
  Threads::Threads)

install(TARGETS orvelant_sdk EXPORT OrvelantTargets ARCHIVE DESTINATION ${ORV_SDK_LIB_DIR} COMPONENT dev)
# A stripped install (`cmake --install --strip`, and cpack's, which makes the Debian package) drops the
# archive's debug information, all but 2.6 of its 63 MB in a RelWithDebInfo build, and the .comment sections naming the compiler,
# as Debian's own tools do for a -dev package's static library: the symbols a demo links by stay.
# A -dbgsym package cannot take it instead: debug symbols are found by the build ID of a linked program or
# library, and an archive's objects are not linked yet. An install that is not stripped keeps it, for a demo
# maker who steps through the engine.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    set(archive \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ORV_SDK_LIB_DIR}/liborvelant.a\")
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment --remove-section=.note
                            --enable-deterministic-archives \"\${archive}\" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR \"Cannot strip the debug information of \${archive}\")
    endif()
  endif()" COMPONENT dev)
install(EXPORT OrvelantTargets NAMESPACE Orvelant:: DESTINATION ${ORV_SDK_CMAKE_DIR} COMPONENT dev)
foreach(folder interfaces math engine graphics scene animation demo platform app)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}/ DESTINATION include/orvelant/${folder} COMPONENT dev
          FILES_MATCHING PATTERN "*.h")
endforeach()

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OrvelantConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk/OrvelantConfig.cmake INSTALL_DESTINATION ${ORV_SDK_CMAKE_DIR}
  PATH_VARS ORV_SDK_TOOLS_DIR ORV_SDK_PACK_DIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/OrvelantConfigVersion.cmake
  VERSION ${ORV_SDK_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/OrvelantConfig.cmake ${CMAKE_BINARY_DIR}/sdk/OrvelantConfigVersion.cmake
              ${CMAKE_CURRENT_LIST_DIR}/OrvelantPack.cmake
        DESTINATION ${ORV_SDK_CMAKE_DIR} COMPONENT dev)
# From the .pc file's folder up to the prefix, so the file holds no absolute path and a staged or moved
# prefix works as it is.
file(RELATIVE_PATH ORV_SDK_PC_UP /prefix/${ORV_SDK_LIB_DIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/orvelant.pc.in ${CMAKE_BINARY_DIR}/sdk/orvelant.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/orvelant.pc DESTINATION ${ORV_SDK_LIB_DIR}/pkgconfig COMPONENT dev)

install(TARGETS orvelant_pack orvelant_captiongen orvelant_beatgen RUNTIME DESTINATION ${ORV_SDK_TOOLS_DIR}
        COMPONENT dev)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/Common ${ORV_GENERATED_ASSETS}/Common DESTINATION ${ORV_SDK_PACK_DIR}
        COMPONENT dev)
install(FILES ${ORV_COMPRESSED_DIR}/changelog.gz ${ORV_DEBIAN_DIR}/copyright DESTINATION share/doc/liborvelant-dev
        COMPONENT dev)
# The template a demo of one's own starts from: copied out of share/orvelant/template and built as it is.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/template/ DESTINATION share/orvelant/template COMPONENT dev)
