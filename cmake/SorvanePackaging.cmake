# The Debian package of everything `cmake --install` installs:
#   cd build && cpack -G DEB      (writes sorvane_<version>_<arch>.deb)
# Its Depends line is worked out by dpkg-shlibdeps (Debian package dpkg-dev,
# which also needs `file`) from the libraries the programs really link.
# What Debian asks of every package's documentation folder: the copyright
# file, machine-readable, with the licence of everything the package carries
# (the player that comes with Sorvane among them), and the changelog.
set(SORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sorvane)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${SORVANE_DOC_DIR})
sorvane_install_gzipped(${SORVANE_CHANGELOG} DESTINATION ${SORVANE_DOC_DIR})
# lintian's notes that are not faults, each with its reason, for the parts
# this build has (packaging/lintian-overrides/PART).
set(lintian_parts "")
if(TARGET sorvane)
  list(APPEND lintian_parts wizard)
endif()
if(SORVANE_BUNDLE_PLAYER)
  list(APPEND lintian_parts player)
endif()
set(lintian_overrides ${CMAKE_BINARY_DIR}/sorvane.lintian-overrides)
file(WRITE ${lintian_overrides} "")
foreach(part IN LISTS lintian_parts)
  set(part_file ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides/${part})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${part_file})
  file(READ ${part_file} overrides)
  file(APPEND ${lintian_overrides} "${overrides}")
endforeach()
if(lintian_parts)
  install(FILES ${lintian_overrides} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME sorvane)
endif()

# A stripped install (the package's) strips the programs as Debian's own
# packages are: also without the compilers' version notes (.comment, .note),
# which the plain strip of CPACK_STRIP_FILES keeps. Install rules run in the
# order they are declared, so the programs are in place by now.
set(SORVANE_PROGRAMS sorvane-cli)
if(TARGET sorvane)
  list(APPEND SORVANE_PROGRAMS sorvane)
endif()
if(NOT WIN32)
  install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${SORVANE_PROGRAMS})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
endif()

set(CPACK_PACKAGE_NAME sorvane)
set(CPACK_PACKAGE_VENDOR "Sorvane Web Tools")
set(CPACK_PACKAGE_CONTACT "Sorvane Web Tools <support@sorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make web pages write their Flash movies by script")
set(CPACK_PACKAGE_DESCRIPTION
"Sorvane is a small wizard for web authors who put Flash movies on their pages.
Replace HTML Code rewrites a page so that every Flash object block is written
by a JavaScript function in a script file beside it, keeping a noscript copy
of each block. Generate HTML Code writes the script file of one Flash movie
and gives the snippet to paste into a page. The command-line tool sorvane-cli
does both jobs for scripts and batches of pages.")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.sorvane.example/")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows ask for "MS Sans Serif"; Liberation Sans is the face that
# stands in for it. Without it the wizard still works, in another face.
if(TARGET sorvane)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
endif()

include(CPack)
