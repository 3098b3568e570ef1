# Run at build time (cmake -P): the Russian manual pages, translated by po4a from the English
# templates with po/man/ru.po, then given the version as the English pages are. po4a writes a
# page only when every paragraph of it is translated and none is marked fuzzy (--keep 100),
# and reads ru.po as it is (--no-update), so that an English page changed since the
# translation stops the build here instead of shipping a Russian page that says less.
#   -DPO4A=… -DSOURCE_DIR=… -DWORK_DIR=… -DPAGES_DIR=… -DPAGES="k-berg;k-berg-table"
#   -DPROJECT_VERSION=…
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(page ${PAGES})
  file(REMOVE ${PAGES_DIR}/${page}.1)
endforeach()

execute_process(
  COMMAND ${PO4A} --no-update --keep 100 --srcdir ${SOURCE_DIR} --destdir ${WORK_DIR}
          ${SOURCE_DIR}/po/man/po4a.cfg
  WORKING_DIRECTORY ${WORK_DIR}
  COMMAND_ERROR_IS_FATAL ANY)

foreach(page ${PAGES})
  set(translated ${WORK_DIR}/man/ru/${page}.1.in)
  if(NOT EXISTS ${translated})
    message(FATAL_ERROR
      "po/man/ru.po does not translate all of docs/${page}.1.in. Run `make man-po`, translate "
      "the entries of po/man/ru.po that are untranslated or marked fuzzy, and build again.")
  endif()
  configure_file(${translated} ${PAGES_DIR}/${page}.1 @ONLY)
endforeach()
