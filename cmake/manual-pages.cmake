# The manual pages of both programs, in English and in Russian, with the project's version
# filled in: the English ones configured from docs/, the Russian ones translated from the same
# templates by po4a with po/man/ru.po (cmake/translate-man.cmake), which stops the build where
# the translation lags behind an English page. Compressed as Debian keeps manual pages; for
# Windows, which has no man, rendered as plain UTF-8 text by groff, the formatter man itself
# runs, so that the text reads as `man` shows the page.
set(K_BERG_MAN_PAGES k-berg k-berg-table)
set(man_folder ${CMAKE_BINARY_DIR}/man)
find_program(K_BERG_PO4A po4a REQUIRED)

set(russian_pages)
set(templates)
foreach(page ${K_BERG_MAN_PAGES})
  configure_file(${CMAKE_SOURCE_DIR}/docs/${page}.1.in ${man_folder}/${page}.1 @ONLY)
  list(APPEND russian_pages ${man_folder}/ru/${page}.1)
  list(APPEND templates ${CMAKE_SOURCE_DIR}/docs/${page}.1.in)
endforeach()
add_custom_command(OUTPUT ${russian_pages}
  COMMAND ${CMAKE_COMMAND} -DPO4A=${K_BERG_PO4A} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DWORK_DIR=${CMAKE_BINARY_DIR}/po4a -DPAGES_DIR=${man_folder}/ru
          "-DPAGES=${K_BERG_MAN_PAGES}" -DPROJECT_VERSION=${PROJECT_VERSION}
          -P ${CMAKE_SOURCE_DIR}/cmake/translate-man.cmake
  DEPENDS ${templates} ${CMAKE_SOURCE_DIR}/po/man/ru.po ${CMAKE_SOURCE_DIR}/po/man/po4a.cfg
          ${CMAKE_SOURCE_DIR}/cmake/translate-man.cmake
  COMMENT "Translating the manual pages into Russian with po/man/ru.po"
  VERBATIM)

if(WIN32)
  find_program(K_BERG_GROFF groff REQUIRED)
endif()

# `page` (…/k-berg.1) compressed into man1/ of `man_dir`, or rendered into `doc_dir` as
# k-berg.1.txt for Windows; the file made is appended to `made`.
function(k_berg_man_page page man_dir doc_dir made)
  if(WIN32)
    set(output ${page}.txt)
    # -P-cbou: plain characters, without the bold and underline that a terminal would show;
    # -rHY=0: no word hyphenated, so that every option reads whole.
    add_custom_command(OUTPUT ${output}
      COMMAND ${K_BERG_GROFF} -k -Kutf-8 -man -Tutf8 -P-cbou -rHY=0 -Wbreak ${page} > ${output}
      DEPENDS ${page})
    install(FILES ${output} DESTINATION ${doc_dir})
  else()
    set(output ${page}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND gzip -9 --no-name --stdout ${page} > ${output}
      DEPENDS ${page})
    install(FILES ${output} DESTINATION ${man_dir}/man1)
  endif()
  set(${made} ${${made}} ${output} PARENT_SCOPE)
endfunction()

set(made_pages)
foreach(page ${K_BERG_MAN_PAGES})
  k_berg_man_page(${man_folder}/${page}.1 ${CMAKE_INSTALL_MANDIR} doc made_pages)
  k_berg_man_page(${man_folder}/ru/${page}.1 ${CMAKE_INSTALL_MANDIR}/ru doc/ru made_pages)
endforeach()
add_custom_target(k-berg-man-pages ALL DEPENDS ${made_pages})
