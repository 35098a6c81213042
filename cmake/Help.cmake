# The help file: "Ombrex 2.chm" compiled from resources/help with chmcmd into the program
# folder, where the program looks for it.

find_program(CHMCMD chmcmd REQUIRED) # Debian fp-utils

set(OMBREX_HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/help)
set(OMBREX_HELP_STAGE_DIR ${CMAKE_CURRENT_BINARY_DIR}/chm)
set(OMBREX_HELP_FILE "${OMBREX_PROGRAM_DIR}/Ombrex 2.chm")
file(GLOB OMBREX_HELP_SOURCES CONFIGURE_DEPENDS
    ${OMBREX_HELP_SOURCE_DIR}/*.htm ${OMBREX_HELP_SOURCE_DIR}/*.css
    ${OMBREX_HELP_SOURCE_DIR}/*.hhp ${OMBREX_HELP_SOURCE_DIR}/*.hhc
    ${OMBREX_HELP_SOURCE_DIR}/*.hhk ${OMBREX_HELP_SOURCE_DIR}/*.h
    ${OMBREX_HELP_SOURCE_DIR}/images/*)

# chmcmd writes beside the project, so it compiles a copy in the build tree.
add_custom_command(OUTPUT ${OMBREX_HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${OMBREX_HELP_STAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${OMBREX_HELP_SOURCE_DIR} ${OMBREX_HELP_STAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E chdir ${OMBREX_HELP_STAGE_DIR} ${CHMCMD} --no-html-scan Ombrex2.hhp
    COMMAND ${CMAKE_COMMAND} -E copy "${OMBREX_HELP_STAGE_DIR}/Ombrex 2.chm" ${OMBREX_HELP_FILE}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS ${OMBREX_HELP_SOURCES}
    COMMENT "Compiling the help file Ombrex 2.chm"
    VERBATIM)
add_custom_target(ombrex_helpfile ALL DEPENDS ${OMBREX_HELP_FILE})
