# What `cmake --install` lays out beside the programs (their own rules are in src/), and the Debian
# package made from it. The programs find these files from their own folder (src/paths/InstallPaths).
include(GNUInstallDirs)
set(ZARN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zarn)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/Templates DESTINATION ${ZARN_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Docs DESTINATION ${ZARN_INSTALL_DATADIR})

# The applet viewer is built only where a Java compiler was found.
if(TARGET zarn_viewer)
  get_target_property(ZARN_VIEWER_JAR zarn_viewer JAR_FILE)
  if(ZARN_VIEWER_JAR)
    install(FILES ${ZARN_VIEWER_JAR} DESTINATION ${ZARN_INSTALL_DATADIR})
  else()
    message(WARNING "zarn_viewer has no JAR_FILE property: the viewer is not installed")
  endif()
endif()

# Desktop integration: launcher, file types, software-centre entry, icons.
set(ZARN_APP_ID org.zarn.Zarn)
install(FILES ${PROJECT_SOURCE_DIR}/data/${ZARN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${ZARN_APP_ID}.mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${ZARN_APP_ID}.xml)
install(FILES ${PROJECT_SOURCE_DIR}/data/${ZARN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${ZARN_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# What Debian asks of every package: the copyright, a changelog packed as its tools pack it, and
# overrides for the checks that do not apply here. The package is made from a Release build with
# CMAKE_INSTALL_PREFIX=/usr, so that the plug-in lands in the multiarch folder, outside ldconfig's.
set(ZARN_DEBIAN_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zarn)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/share/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/share/doc/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/share/doc/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/share/doc/changelog VERBATIM)
add_custom_target(zarn_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/share/doc/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/share/doc/changelog.gz
  DESTINATION ${ZARN_DEBIAN_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zarn)

# `cpack -G DEB` from the build folder.
set(CPACK_PACKAGE_NAME zarn)
set(CPACK_PACKAGE_VENDOR "The ZARN developers")
set(CPACK_PACKAGE_CONTACT "The ZARN developers <zarn@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the HTML blocks of Java applets")
# Debian keeps the lines of the long description within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "ZARN fills in an applet template and writes the APPLET block with its
PARAM lines for a web page. It comes with a command-line tool, zarn-cli,
the memlet text plug-in, an applet viewer and sample applets.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zarn.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
# The libraries the programs and the plug-in link name the packages they come from.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The viewer needs a Java runtime with windows; the program works without one.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "openjdk-17-jre")
include(CPack)
