# orvelant_add_pack(<target> ASSETS <folder> [CAPTIONS <manifest>] [TUNE <name.ogg>])
#
# Makes data.pak beside the target's program whenever an asset changes: the engine's own assets (Common/),
# every file below ASSETS under its path there, and what the build makes:
#   CAPTIONS  a caption manifest ("hello.png: Hello | world", one picture a line) painted into pictures
#   TUNE      a metronome tune of that name, a click on every beat of ASSETS/Show.txt's tempo map
# A program finds data.pak beside itself; the tune's name is the one its ShowProgram plays. The program also
# learns where its sources are (orvelant_studio_sources below): run from its build folder, `<program> --studio`
# serves and watches ASSETS and paints the captions again when CAPTIONS is saved.
function(orvelant_add_pack target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "ASSETS;CAPTIONS;TUNE" "")
  if(NOT arg_ASSETS)
    message(FATAL_ERROR "orvelant_add_pack(${target}): ASSETS <folder> is needed")
  endif()
  get_filename_component(assets "${arg_ASSETS}" ABSOLUTE)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}-generated)
  set(made)
  if(arg_CAPTIONS)
    get_filename_component(manifest "${arg_CAPTIONS}" ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
    file(STRINGS ${manifest} lines REGEX "^[ \t]*[^# \t][^:]*\\.png[ \t]*:")
    set(pictures)
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*([^:]*[^ \t:])[ \t]*:.*$" "\\1" name "${line}")
      list(APPEND pictures ${generated}/${name})
    endforeach()
    add_custom_command(
      OUTPUT ${pictures}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
      COMMAND ${ORVELANT_TOOLS_DIR}/orvelant_captiongen ${manifest} ${generated}
      DEPENDS ${manifest}
      COMMENT "Painting the captions of ${target}"
      VERBATIM)
    list(APPEND made ${pictures})
  endif()
  if(arg_TUNE)
    add_custom_command(
      OUTPUT ${generated}/${arg_TUNE}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
      COMMAND ${ORVELANT_TOOLS_DIR}/orvelant_beatgen ${generated}/${arg_TUNE} --show ${assets}/Show.txt
      DEPENDS ${assets}/Show.txt
      COMMENT "Making the tune ${arg_TUNE} of ${target}"
      VERBATIM)
    list(APPEND made ${generated}/${arg_TUNE})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${assets}/*)
  file(GLOB_RECURSE common CONFIGURE_DEPENDS ${ORVELANT_PACK_DIR}/*)
  set(pack $<TARGET_FILE_DIR:${target}>/data.pak)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}-data.pak.stamp
    COMMAND ${ORVELANT_TOOLS_DIR}/orvelant_pack ${pack} ${ORVELANT_PACK_DIR} ${assets} ${generated}
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_CURRENT_BINARY_DIR}/${target}-data.pak.stamp
    DEPENDS ${sources} ${common} ${made}
    COMMENT "Packing data.pak of ${target}"
    VERBATIM)
  add_custom_target(${target}_pack ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${target}-data.pak.stamp)
  add_dependencies(${target} ${target}_pack)
  set(captions)
  if(arg_CAPTIONS)
    set(captions CAPTIONS ${manifest})
  endif()
  orvelant_studio_sources(${target} ASSETS ${assets} ${captions} TOOLS ${ORVELANT_TOOLS_DIR})
endfunction()

# orvelant_studio_sources(<target> ASSETS <folder> [CAPTIONS <manifest>] TOOLS <folder>)
#
# Builds into the target's program where its sources are: the assets folder, the caption manifest, the folder
# of the programs that paint captions and make tunes, and the folder the program is put in. The studio uses them
# only when the program runs from that folder (k_StudioSources). orvelant_add_pack() calls it.
function(orvelant_studio_sources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "ASSETS;CAPTIONS;TOOLS" "")
  get_filename_component(assets "${arg_ASSETS}" ABSOLUTE)
  set(captions)
  if(arg_CAPTIONS)
    get_filename_component(captions "${arg_CAPTIONS}" ABSOLUTE)
  endif()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}-sources.cpp)
  file(GENERATE OUTPUT ${source} CONTENT "// Made by the build: where the sources of this program's pack are, for its studio.
#include \"app/studio/k_StudioSources.h\"

namespace
{
const bool registered = k_StudioSources::Register({R\"orv(${assets})orv\", R\"orv(${captions})orv\",
                                                   R\"orv(${arg_TOOLS})orv\", R\"orv($<TARGET_FILE_DIR:${target}>)orv\"});
}
")
  target_sources(${target} PRIVATE ${source})
endfunction()
