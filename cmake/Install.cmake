# make install: the program with its help file and report template in one folder
# (PREFIX/lib/ombrex), a launcher on the PATH, the desktop entry and the icons.
include(GNUInstallDirs)

# Debian's multiarch lib dir would split the program from its files; keep one plain folder.
set(OMBREX_INSTALL_DIR lib/ombrex)

install(TARGETS ombrex RUNTIME DESTINATION ${OMBREX_INSTALL_DIR})
install(FILES "${OMBREX_PROGRAM_DIR}/Ombrex 2.chm" DESTINATION ${OMBREX_INSTALL_DIR})
# Built by the export part of the build; installed when it is there.
install(FILES "${OMBREX_PROGRAM_DIR}/Hyetra Report.xltx" DESTINATION ${OMBREX_INSTALL_DIR}
    OPTIONAL)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/ombrex.sh DESTINATION ${CMAKE_INSTALL_BINDIR}
    RENAME ombrex)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/ombrex.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Icons: the SVG as it is, and PNGs rendered at build time with Qt's SVG renderer.
set(OMBREX_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/icons/ombrex.svg)
set(OMBREX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(OMBREX_ICON_DIR ${CMAKE_BINARY_DIR}/packaging/icons)

add_executable(ombrex_iconrender ${CMAKE_SOURCE_DIR}/packaging/IconRender.cpp)
target_link_libraries(ombrex_iconrender PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(ombrex_iconrender PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)

set(OMBREX_ICON_PNGS)
foreach(size IN LISTS OMBREX_ICON_SIZES)
    list(APPEND OMBREX_ICON_PNGS ${OMBREX_ICON_DIR}/${size}x${size}/apps/ombrex.png)
endforeach()
add_custom_command(OUTPUT ${OMBREX_ICON_PNGS}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
        $<TARGET_FILE:ombrex_iconrender> ${OMBREX_ICON_SVG} ${OMBREX_ICON_DIR} ${OMBREX_ICON_SIZES}
    DEPENDS ombrex_iconrender ${OMBREX_ICON_SVG}
    COMMENT "Rendering the application icon"
    VERBATIM)
add_custom_target(ombrex_icons ALL DEPENDS ${OMBREX_ICON_PNGS})

install(FILES ${OMBREX_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS OMBREX_ICON_SIZES)
    install(FILES ${OMBREX_ICON_DIR}/${size}x${size}/apps/ombrex.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
