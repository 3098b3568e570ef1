cmake_minimum_required(VERSION 3.25)
# The Russian messages of k-berg-table, run as a script (cmake -P) by the build.
#
# xgettext gathers the English texts the sources mark (N_ and translated) from the files SOURCES
# lists, relative to SOURCE_DIR, into WORK/k-berg.pot. Then, as MODE says:
#   catalogue (the build): PO must translate each of them, and hold nothing else that is not
#     obsolete: a text without a translation, or with a fuzzy one (msgmerge marks one fuzzy
#     when its English changed), fails the build, as a stale one does. msgfmt then compiles
#     PO, and the compiled bytes are written to CATALOGUE as the function
#     messages::russian_catalogue.
#   update (a translator's target, k-berg-po): PO is merged with the texts gathered, those
#     that changed marked fuzzy, to be translated again.

function(run)
  execute_process(COMMAND ${ARGV} WORKING_DIRECTORY ${SOURCE_DIR} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(MAKE_DIRECTORY ${WORK})
set(pot ${WORK}/k-berg.pot)
run(xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=N_ --keyword=translated
    --add-comments=TRANSLATORS: --add-location=file --package-name=k-berg --files-from=${SOURCES}
    --output=${pot})

if(MODE STREQUAL update)
  run(msgmerge --update --backup=none --add-location=file ${PO} ${pot})
  return()
endif()

# Every text gathered has a translation that is neither missing nor fuzzy, and every
# translation is of a text gathered.
run(msgcmp ${PO} ${pot})
run(msgcmp --use-untranslated ${pot} ${PO})
run(msgfmt --check --output-file=${WORK}/ru.mo ${PO})

# Sixteen bytes a line.
file(READ ${WORK}/ru.mo hex HEX)
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${CATALOGUE} "// Written by cmake/messages.cmake: po/ru.po as msgfmt compiled it.
#include \"textio/messages.h\"

namespace {

constexpr unsigned char kBytes[] = {
${bytes}};

}  // namespace

std::string_view messages::russian_catalogue() {
  return {reinterpret_cast<const char*>(kBytes), sizeof kBytes};
}
")
