cmake_minimum_required(VERSION 3.25)
# Puts the page together: page.html with the style, the script and the module (as base64) in
# place of its @STYLE@, @SCRIPT@ and @MODULE@, written to PAGE.
execute_process(COMMAND base64 --wrap=0 ${MODULE} OUTPUT_VARIABLE module COMMAND_ERROR_IS_FATAL ANY)
file(READ ${SOURCE}/page.html page)
file(READ ${SOURCE}/page.css style)
file(READ ${SOURCE}/page.js script)
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")
string(REPLACE "@MODULE@" "${module}" page "${page}")
file(WRITE ${PAGE} "${page}")
