# What `cmake --install` puts in place, and the packages CPack makes of it: a .deb for
# Debian from a Linux build, a .zip of k-berg.exe and k-berg-table.exe from the MinGW-w64 build.
include(GNUInstallDirs)

install(TARGETS k-berg k-berg-table RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The page: in share/k-berg/ (/usr/share/k-berg/k-berg.html from the .deb), at the top of the
# Windows .zip.
if(K_BERG_WEB)
  if(WIN32)
    install(FILES ${K_BERG_PAGE} DESTINATION .)
  else()
    install(FILES ${K_BERG_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/k-berg)
  endif()
endif()

set(K_BERG_MAINTAINER "The k-berg developers <k-berg@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

include(${CMAKE_SOURCE_DIR}/cmake/manual-pages.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/package-documents.cmake)

set(CPACK_PACKAGE_NAME k-berg)
set(CPACK_PACKAGE_VENDOR "The k-berg developers")
set(CPACK_PACKAGE_CONTACT ${K_BERG_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console calculator of Berg coefficients")
set(CPACK_PACKAGE_DESCRIPTION
    "k-berg computes the amplitudes of the constant term and of the first nine
harmonics of a periodic cosine pulse, cut off at a given angle and raised to a
given power, by direct Fourier analysis of 4096 samples. It shows them in a
table and appends the tables to the text file K-Berg.txt on request.
k-berg-table computes the same coefficients over a range of angles and writes
them as a table, as CSV or as an SVG chart. /usr/share/k-berg/k-berg.html is
the same calculator as a page that opens in a web browser without a network.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${K_BERG_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
# dpkg-shlibdeps works out the Depends field from the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
endif()
include(CPack)
