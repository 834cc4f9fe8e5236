# liblzma, which reads and writes LZMA-compressed (ZWS) movies. Debian has no
# liblzma for MinGW, so a Windows build goes without: there the header of a
# ZWS movie gives no stage size, as a header that cannot be read.
#
#   sorvane_link_lzma(<target> <PRIVATE|PUBLIC>)
#
# Links liblzma, or, where there is none, defines SORVANE_WITHOUT_LZMA for
# the target (PUBLIC: for its users too).
if(CMAKE_CROSSCOMPILING)
  find_package(LibLZMA)
else()
  find_package(LibLZMA REQUIRED)
endif()

function(sorvane_link_lzma target scope)
  if(LibLZMA_FOUND)
    target_link_libraries(${target} PRIVATE LibLZMA::LibLZMA)
  else()
    target_compile_definitions(${target} ${scope} SORVANE_WITHOUT_LZMA)
  endif()
endfunction()
