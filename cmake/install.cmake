# "cmake --install build [--prefix P]": the programs in P/bin, the read-only data with Ogre's
# configuration files pointing at it in P/share/kivo, desktop entries, hicolor icons, AppStream
# metadata and manual pages. Nothing installed refers to the build folder. "tools/package.sh"
# makes a Debian package of the same files with CPack.
include(GNUInstallDirs)

set(KIVO_INSTALL_FILES ${CMAKE_SOURCE_DIR}/data/install)
set(KIVO_DATA_DEST ${CMAKE_INSTALL_DATADIR}/kivo)

install(TARGETS kivo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kivo-editor)
    install(TARGETS kivo-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The staged data (sources and generated files) without what the programs wrote there: the maps
# come from the source tree, so neither the runnable folder's best times nor its maps made while
# developing are shipped.
install(DIRECTORY ${KIVO_RUN_DIR}/data/ DESTINATION ${KIVO_DATA_DEST}
        PATTERN maps EXCLUDE PATTERN icons EXCLUDE PATTERN install EXCLUDE
        PATTERN "*.tmp??????" EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/maps DESTINATION ${KIVO_DATA_DEST})
install(FILES ${KIVO_RUN_DIR}/plugins.cfg DESTINATION ${KIVO_DATA_DEST})
# resources.cfg names the installed folders, so it is written for the prefix installed to.
install(CODE "
    set(KIVO_DATA \"\${CMAKE_INSTALL_PREFIX}/${KIVO_DATA_DEST}\")
    set(CEGUI_DATA_DIR \"${CEGUI_DATA_DIR}\")
    set(target \"\$ENV{DESTDIR}\${KIVO_DATA}/resources.cfg\")
    message(STATUS \"Installing: \${target}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/cmake/resources-installed.cfg.in\" \"\${target}\" @ONLY)
")

install(DIRECTORY ${KIVO_RUN_DIR}/data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${KIVO_INSTALL_FILES}/org.kivo.Kivo.desktop ${KIVO_INSTALL_FILES}/org.kivo.KivoEditor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KIVO_INSTALL_FILES}/org.kivo.Kivo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KIVO_INSTALL_FILES}/kivo.6 ${KIVO_INSTALL_FILES}/kivo-editor.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# Debian package. The libraries the programs link come from dpkg-shlibdeps; what they only open
# at run time is named here: CEGUI's schemes and fonts, and a software OpenGL driver.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KIVO developers <kivo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "marble racing game for one to four players, with a level editor")
set(CPACK_PACKAGE_DESCRIPTION "Roll your marble through levels built from boxes, from start to finish, against the
clock: alone, two or four players on one screen, or two players over the network. Includes
kivo-editor, the level editor.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcegui-mk2-data, fonts-cegui")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
include(CPack)
