# The Debian package of everything `cmake --install` installs:
#   cd build && cpack -G DEB      (writes sorvane_<version>_<arch>.deb)
# Its Depends line is worked out by dpkg-shlibdeps (Debian package dpkg-dev,
# which also needs `file`) from the libraries the programs really link.
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
