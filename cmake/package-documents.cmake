# The documents that go with the programs: both READMEs, and the licence. Debian keeps them in
# /usr/share/doc/k-berg with the licence in its machine-readable copyright file and the
# package's history in changelog.Debian.gz; the Windows .zip has the licence as LICENSE.txt.
set(readmes ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/README.ru.md)

if(WIN32)
  install(FILES ${readmes} DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  # The .exe files are linked statically, so they contain CLI11 and MinGW-w64's runtime
  # (winpthreads among it), whose licences ask for their notices to go with the programs:
  # as Debian's packages of them state them.
  foreach(library CLI11:libcli11-dev MinGW-w64:mingw-w64-x86-64-dev)
    string(REPLACE ":" ";" library ${library})
    list(GET library 0 name)
    list(GET library 1 package)
    find_file(K_BERG_NOTICE_${name} copyright PATHS /usr/share/doc/${package}
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    install(FILES ${K_BERG_NOTICE_${name}} DESTINATION doc/licences RENAME ${name}.txt)
  endforeach()
  return()
endif()

# The copyright file takes the holder and the terms from LICENSE, so that the licence is
# written once: the terms as a field's continuation lines, an empty line as " .".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE: no \"Copyright (c)\" line followed by the terms")
endif()
set(K_BERG_COPYRIGHT ${CMAKE_MATCH_1})
string(STRIP "${CMAKE_MATCH_2}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " K_BERG_EXPAT_TERMS " ${terms}")
set(copyright ${CMAKE_BINARY_DIR}/copyright)
configure_file(${CMAKE_SOURCE_DIR}/docs/debian/copyright.in ${copyright} @ONLY)

# The package's version is the project's: the changelog must begin with its entry.
set(changelog ${CMAKE_SOURCE_DIR}/docs/debian/changelog)
file(READ ${changelog} history)
string(FIND "${history}" "k-berg (${PROJECT_VERSION}) " latest)
if(NOT latest EQUAL 0)
  message(FATAL_ERROR "docs/debian/changelog does not begin with the entry of version "
                      "${PROJECT_VERSION}")
endif()
set(changelog_gz ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9 --no-name --stdout ${changelog} > ${changelog_gz}
  DEPENDS ${changelog})
add_custom_target(k-berg-changelog ALL DEPENDS ${changelog_gz})

install(FILES ${readmes} ${copyright} ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
