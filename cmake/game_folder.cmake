# The game's folders as libraries, one each (zuno_sim, zuno_display, ...),
# shared by the desktop build and the page's. Each library sees only its own
# headers and those of the libraries it names, through a folder of its own
# in the build tree that holds a link to its sources: a source that includes
# a header of a folder above it, or of the tools or the page, fails to
# compile, and sim/ and platform/ cannot reach SDL. The caller sets
# ZUNO_ROOT and defines zuno_sdl (SDL 1.2) and zuno_game_options (what the
# whole game is built with, such as a fuzzing build's instrumentation).
function(zuno_game_folder folder)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;USES")
  set(view ${CMAKE_BINARY_DIR}/game_headers/${folder})
  file(MAKE_DIRECTORY ${view})
  if(NOT IS_SYMLINK ${view}/${folder})
    file(CREATE_LINK ${ZUNO_ROOT}/${folder} ${view}/${folder} SYMBOLIC)
  endif()
  add_library(zuno_${folder} STATIC ${ARG_SOURCES})
  target_include_directories(zuno_${folder} PUBLIC ${view})
  target_link_libraries(zuno_${folder} PUBLIC zuno_game_options ${ARG_USES})
endfunction()
