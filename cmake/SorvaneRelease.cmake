# The releases of Sorvane, read from packaging/changelog (Debian's changelog
# format), the one place that lists them: the package carries the file as its
# changelog, and the metainfo's <releases> list is made from it.
#
# Sets SORVANE_METAINFO_RELEASES, the <release> elements, newest first. The
# newest entry must be of the project's version.
set(SORVANE_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SORVANE_CHANGELOG})

# sorvane_iso_date(RFC2822_DATE OUT): "Thu, 10 Dec 2026 12:00:00 +0000" as
# "2026-12-10".
function(sorvane_iso_date rfc_date out)
  if(NOT rfc_date MATCHES "^[A-Z][a-z][a-z], +([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "packaging/changelog: '${rfc_date}' is not a date as Debian's changelog writes it")
  endif()
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months "${CMAKE_MATCH_2}" month)
  if(month LESS 0)
    message(FATAL_ERROR "packaging/changelog: no month '${CMAKE_MATCH_2}' in '${rfc_date}'")
  endif()
  math(EXPR month "${month} + 1")
  math(EXPR day "${CMAKE_MATCH_1}")
  foreach(part month day)
    if(${part} LESS 10)
      set(${part} 0${${part}})
    endif()
  endforeach()
  set(${out} "${CMAKE_MATCH_3}-${month}-${day}" PARENT_SCOPE)
endfunction()

file(STRINGS ${SORVANE_CHANGELOG} changelog_lines REGEX "^(sorvane \\(| -- )")
set(SORVANE_METAINFO_RELEASES "")
set(release_version "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^sorvane \\(([^)]+)\\)")
    set(release_version ${CMAKE_MATCH_1})
    if(NOT SORVANE_NEWEST_RELEASE)
      set(SORVANE_NEWEST_RELEASE ${release_version})
    endif()
  elseif(line MATCHES "^ -- .*>  (.+)$" AND release_version)
    sorvane_iso_date("${CMAKE_MATCH_1}" release_date)
    string(APPEND SORVANE_METAINFO_RELEASES
           "    <release version=\"${release_version}\" date=\"${release_date}\"/>\n")
    set(release_version "")
  endif()
endforeach()
if(NOT SORVANE_NEWEST_RELEASE STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog: the newest entry is of version '${SORVANE_NEWEST_RELEASE}', "
                      "the project's is ${PROJECT_VERSION}; give the release an entry")
endif()
string(STRIP "${SORVANE_METAINFO_RELEASES}" SORVANE_METAINFO_RELEASES)
