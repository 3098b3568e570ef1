cmake_minimum_required(VERSION 3.25)
# Puts the page together: page.html with the style, the script and the module (as base64) in
# place of its @STYLE@, @SCRIPT@ and @MODULE@, written to PAGE. The module goes in gzipped (the
# browser unpacks it with its own DecompressionStream): a third of its size, and the page stays
# one small file. Its content security policy
# lets only this script and this style run, named by the base64 of their SHA-256 in place of
# @SCRIPT_HASH@ and @STYLE_HASH@.

# The base64 of the SHA-256 of `text`'s bytes, in `hash`.
function(hash_of text hash)
  string(SHA256 hex "${text}")
  string(TOUPPER ${hex} hex)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append ${hex}
                  COMMAND basenc --base16 --decode
                  COMMAND base64 --wrap=0
                  OUTPUT_VARIABLE digest COMMAND_ERROR_IS_FATAL ANY)
  set(${hash} ${digest} PARENT_SCOPE)
endfunction()

# No name or time in the gzip header: the same module gives the same page.
execute_process(COMMAND gzip --best --no-name --stdout ${MODULE}
                COMMAND base64 --wrap=0
                OUTPUT_VARIABLE module COMMAND_ERROR_IS_FATAL ANY)
file(READ ${SOURCE}/page.html page)
file(READ ${SOURCE}/page.css style)
file(READ ${SOURCE}/page.js script)
hash_of("${style}" style_hash)
hash_of("${script}" script_hash)
string(REPLACE "@STYLE_HASH@" "${style_hash}" page "${page}")
string(REPLACE "@SCRIPT_HASH@" "${script_hash}" page "${page}")
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")
string(REPLACE "@MODULE@" "${module}" page "${page}")
file(WRITE ${PAGE} "${page}")
