# Writes the page with the player's first script in it, in place of the page's marker line:
#   cmake -DPAGE=<template page> -DSCRIPT=<bundled first script> -DOUTPUT=<page> -P first_script.cmake
set(marker "<!-- murano:first-script -->")
file(READ ${PAGE} page)
file(READ ${SCRIPT} script)
string(STRIP "${script}" script)
string(FIND "${page}" "${marker}" at)
if(at LESS 0)
    message(FATAL_ERROR "${PAGE}: no ${marker} line for the player's first script")
endif()
string(REPLACE "${marker}" "<script>${script}</script>" page "${page}")
file(WRITE ${OUTPUT}.new "${page}")
# Copied only when it changed, so that an unchanged page rebuilds nothing.
configure_file(${OUTPUT}.new ${OUTPUT} COPYONLY)
file(REMOVE ${OUTPUT}.new)
