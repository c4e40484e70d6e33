# Installing and packaging: what `cmake --install BUILD --prefix P` puts under P, and the
# Debian package `cpack -G DEB` makes from the same build (installed under /usr).
include(GNUInstallDirs)

install(TARGETS vinca RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/blocks.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/vinca)
install(FILES data/vinca.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The desktop entry and the man page name the installed program and sample file, so they are
# configured when installing, for the prefix in force then (--prefix, or CPack's /usr), not
# the one configured: CMAKE_INSTALL_FULL_BINDIR and _DATADIR are recomputed from it. The man
# page is dated then too (SOURCE_DATE_EPOCH, where set, fixes the date for a reproducible
# package).
install(CODE "
    set(vinca_dirs BINDIR=${CMAKE_INSTALL_BINDIR} DATADIR=${CMAKE_INSTALL_DATADIR}
                   MANDIR=${CMAKE_INSTALL_MANDIR} DOCDIR=${CMAKE_INSTALL_DOCDIR})
    set(vinca_source [[${PROJECT_SOURCE_DIR}]])
    set(vinca_binary [[${PROJECT_BINARY_DIR}/install]])
    set(PROJECT_VERSION ${PROJECT_VERSION})
")
install(CODE [[
    foreach(pair IN LISTS vinca_dirs)
        string(REGEX MATCH "^([A-Z]+)=(.*)$" _ "${pair}")
        cmake_path(ABSOLUTE_PATH CMAKE_MATCH_2 BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
                   OUTPUT_VARIABLE CMAKE_INSTALL_FULL_${CMAKE_MATCH_1})
    endforeach()
    string(TIMESTAMP VINCA_DATE "%Y-%m-%d" UTC)
    configure_file("${vinca_source}/data/vinca.desktop.in" "${vinca_binary}/vinca.desktop" @ONLY)
    configure_file("${vinca_source}/docs/vinca.1.in" "${vinca_binary}/vinca.1" @ONLY)
    file(INSTALL DESTINATION "${CMAKE_INSTALL_FULL_DATADIR}/applications" TYPE FILE
         FILES "${vinca_binary}/vinca.desktop")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_FULL_MANDIR}/man1" TYPE FILE
         FILES "${vinca_binary}/vinca.1")
]])

set(CPACK_PACKAGE_NAME vinca)
set(CPACK_PACKAGE_VENDOR "the vinca developers")
set(CPACK_PACKAGE_CONTACT "the vinca developers <vinca@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 3-D simulator of a port crane")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # libGL, libGLU, freeglut and the C++ runtime
set(CPACK_PACKAGE_DESCRIPTION # under the summary in the package's Description
    "vinca reads up to 30 coloured blocks from a text file and shows a quay, a\n\
ship's deck and a slewing, luffing crane with a hoist cable and a claw in an\n\
OpenGL window. Click a block and the crane fetches it and sets it on the\n\
deck by itself, narrating every step (in Spanish) on standard output; or\n\
drive the crane's joints with the keyboard.")
include(CPack)
