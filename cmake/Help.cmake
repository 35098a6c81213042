# The help integration: the viewer sources of ombrex_app, chmlib, and "Ombrex 2.chm" compiled
# from resources/help with chmcmd into the program folder.

target_sources(ombrex_app PRIVATE
    ${CMAKE_SOURCE_DIR}/app/HelpBrowser.cpp ${CMAKE_SOURCE_DIR}/app/HelpBrowser.h
    ${CMAKE_SOURCE_DIR}/app/HelpChmFile.cpp ${CMAKE_SOURCE_DIR}/app/HelpChmFile.h
    ${CMAKE_SOURCE_DIR}/app/HelpContents.cpp ${CMAKE_SOURCE_DIR}/app/HelpContents.h
    ${CMAKE_SOURCE_DIR}/app/HelpContexts.cpp ${CMAKE_SOURCE_DIR}/app/HelpContexts.h
    ${CMAKE_SOURCE_DIR}/app/HelpKeyFilter.cpp ${CMAKE_SOURCE_DIR}/app/HelpKeyFilter.h
    ${CMAKE_SOURCE_DIR}/app/HelpViewer.cpp ${CMAKE_SOURCE_DIR}/app/HelpViewer.h
    ${CMAKE_SOURCE_DIR}/app/HelpWindow.cpp ${CMAKE_SOURCE_DIR}/app/HelpWindow.h)

# chmlib (Debian libchm-dev) has no pkg-config file.
find_path(CHM_INCLUDE_DIR chm_lib.h REQUIRED)
find_library(CHM_LIBRARY chm REQUIRED)
target_include_directories(ombrex_app SYSTEM PUBLIC ${CHM_INCLUDE_DIR})
target_link_libraries(ombrex_app PUBLIC ${CHM_LIBRARY})

find_program(CHMCMD chmcmd REQUIRED) # Debian fp-utils

set(OMBREX_HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/help)
set(OMBREX_HELP_STAGE_DIR ${CMAKE_BINARY_DIR}/help)
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
add_custom_target(ombrex_help ALL DEPENDS ${OMBREX_HELP_FILE})
add_dependencies(ombrex ombrex_help)
