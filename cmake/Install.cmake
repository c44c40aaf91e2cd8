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

# `cpack -G DEB` from the build folder.
set(CPACK_PACKAGE_NAME zarn)
set(CPACK_PACKAGE_VENDOR "The ZARN developers")
set(CPACK_PACKAGE_CONTACT "The ZARN developers <zarn@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the HTML blocks of Java applets")
set(CPACK_PACKAGE_DESCRIPTION
  "ZARN fills in an applet template and writes the APPLET block with its PARAM lines for a web page; with a command-line tool and the memlet text plug-in.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zarn.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
# The libraries the programs and the plug-in link name the packages they come from.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The viewer needs a Java runtime with windows; the program works without one.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "openjdk-17-jre")
include(CPack)
