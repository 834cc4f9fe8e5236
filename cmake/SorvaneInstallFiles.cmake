# Files that are installed gzip-compressed, as Debian wants manual pages and
# changelogs:
#
#   sorvane_install_gzipped(<source> DESTINATION <folder> [RENAME <name>])
#
# installs <folder>/<name>.gz (name defaults to the source's file name). The
# file is compressed at build time with `gzip -9n`: no name and no time stamp
# in the header, so the same source always gives the same bytes.
find_program(SORVANE_GZIP gzip REQUIRED)

function(sorvane_install_gzipped source)
  cmake_parse_arguments(F "" "DESTINATION;RENAME" "" ${ARGN})
  get_filename_component(source ${source} ABSOLUTE)
  if(NOT F_RENAME)
    get_filename_component(F_RENAME ${source} NAME)
  endif()
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${F_RENAME})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${SORVANE_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${F_RENAME}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "gzipped_${F_RENAME}" target)
  add_custom_target(${target} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${F_DESTINATION})
endfunction()
