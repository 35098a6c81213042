# make install: the program with its help file and report template in one folder
# (PREFIX/lib/ombrex), a launcher on the PATH, the desktop entry and the icons.
# make package: the same as a Debian package for /usr (CPack, at the end of this file).
include(GNUInstallDirs)

# Directories the install makes are 0755 whatever the umask, as a package needs them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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

# ombrex-tool beside the program, so both find the same files; a relative link on the PATH.
if(TARGET ombrex-tool)
    install(TARGETS ombrex-tool RUNTIME DESTINATION ${OMBREX_INSTALL_DIR})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/bin)
    file(CREATE_LINK ../${OMBREX_INSTALL_DIR}/ombrex-tool ${CMAKE_BINARY_DIR}/packaging/bin/ombrex-tool
        SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/bin/ombrex-tool DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

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

# ---------------------------------------------------------------- the Debian package
set(OMBREX_PACKAGE_CONTACT "Pluvatec <ombrex@pluvatec.example>"
    CACHE STRING "Maintainer of the Debian package (name <address>)")
set(OMBREX_HOMEPAGE "https://pluvatec.example/ombrex"
    CACHE STRING "Home page; the AppStream screenshot is main-window.png below it")
set(OMBREX_APPSTREAM_ID com.pluvatec.ombrex)
set(OMBREX_DEB_RELEASE 1) # the packaging revision of this version
set(OMBREX_DEB_VERSION ${PROJECT_VERSION}-${OMBREX_DEB_RELEASE})

# AppStream metadata for software centres; the screenshot is docs/main-window.png, published.
configure_file(${CMAKE_SOURCE_DIR}/packaging/ombrex.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/${OMBREX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${OMBREX_APPSTREAM_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the package's copyright and changelog, compressed as Debian wants them.
find_program(OMBREX_GZIP gzip REQUIRED)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in
    ${CMAKE_BINARY_DIR}/packaging/changelog.Debian @ONLY)
set(OMBREX_DOC_DIR ${CMAKE_BINARY_DIR}/packaging/doc)
set(OMBREX_COMPRESSED ${OMBREX_DOC_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${OMBREX_DOC_DIR}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OMBREX_DOC_DIR}
    COMMAND ${OMBREX_GZIP} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
        > ${OMBREX_DOC_DIR}/changelog.Debian.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
    VERBATIM)
foreach(page ombrex.1 ombrex-tool.1)
    list(APPEND OMBREX_COMPRESSED ${OMBREX_DOC_DIR}/${page}.gz)
    add_custom_command(OUTPUT ${OMBREX_DOC_DIR}/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${OMBREX_DOC_DIR}
        COMMAND ${OMBREX_GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/${page} > ${OMBREX_DOC_DIR}/${page}.gz
        DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${page}
        VERBATIM)
endforeach()
add_custom_target(ombrex_packagedocs ALL DEPENDS ${OMBREX_COMPRESSED})
install(FILES ${OMBREX_DOC_DIR}/ombrex.1.gz ${OMBREX_DOC_DIR}/ombrex-tool.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${OMBREX_DOC_DIR}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ombrex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrex)
set(CPACK_PACKAGE_VENDOR Pluvatec)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${OMBREX_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${OMBREX_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${OMBREX_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download and view the records of a Hyetra rain logger")
set(CPACK_PACKAGE_DESCRIPTION "Ombrex is the desktop program for the Hyetra, a battery-powered logger that
counts and time-stamps the tips of a tipping-bucket rain gauge. It finds the
logger on a serial or USB port, reads its status, sets its clock and name,
clears it, and downloads its records with a check sum test.

The records become rain-event and daily tables, shown as a text report and a
daily bar graph, saved as data files, printed, and exported as spreadsheet
reports. The ombrex-tool command works on the same files from a terminal.")
# Libraries from the binaries themselves; plugins loaded at run time are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
