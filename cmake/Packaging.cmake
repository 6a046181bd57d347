# Install rules and the Debian package: the three programs, the desktop
# entry, the icons, the AppStream metadata and the manual pages.
# `make package` (or cpack) writes build/landuse_<version>_amd64.deb.
include(GNUInstallDirs)

# The metadata's identity; set these where the project is published.
set(LANDUSE_APP_ID "org.example.landuse" CACHE STRING "AppStream component id (reverse domain name)")
set(LANDUSE_HOMEPAGE "https://example.org/landuse" CACHE STRING "Home page named in the AppStream metadata")
set(LANDUSE_SCREENSHOT_URL "${LANDUSE_HOMEPAGE}/screenshots/window-200-steps-agents.png"
  CACHE STRING "Address of the screenshot in the AppStream metadata (docs/screenshots/window-200-steps-agents.png)")

set(LANDUSE_METAINFO ${PROJECT_BINARY_DIR}/packaging/${LANDUSE_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/packaging/landuse.metainfo.xml.in ${LANDUSE_METAINFO} @ONLY)

install(TARGETS landuse landuse-run landuse-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/landuse.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LANDUSE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/landuse.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/landuse-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME landuse.png)
endforeach()
install(FILES ${LANDUSE_MAN_GZIPPED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME landuse)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive simulation of how a town's land use grows")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Residential, service and industry cells appear where three diffusing potential fields peak; agents walk "
  "from their homes to destinations and back, laying and sniffing tracks. The package holds the main window "
  "(landuse), the headless runner (landuse-run) and the batch runner for parameter sweeps (landuse-batch).")
set(CPACK_PACKAGE_CONTACT "landuse developers <landuse@example.org>" CACHE STRING "Maintainer of the package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # landuse_<version>_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LANDUSE_HOMEPAGE}")
# Depends from the libraries the programs link, through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Python module links no libpython, so shlibdeps cannot see it: it is
# built for this one Python version and imports numpy (pandas, matplotlib
# and tqdm only where a script asks for them).
if(LANDUSE_PYTHON_DEPENDS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${LANDUSE_PYTHON_DEPENDS}")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-pandas, python3-matplotlib, python3-tqdm")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
