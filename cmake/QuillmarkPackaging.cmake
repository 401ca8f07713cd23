# The Debian package, made by CPack's DEB generator (scripts/package.sh builds it from a Release
# build). Files install under /usr; dpkg-shlibdeps works out the library dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark developers")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <quillmark@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up USB data loggers, download and plot their recordings")
# Lines as they appear in the package's description (at most 80 characters).
set(CPACK_PACKAGE_DESCRIPTION [[
Quillmark works with a family of battery-powered USB data loggers that record
voltage, current or air speed at a fixed rate. It prepares a logging run (start
mode, number of samples, sample rate, alarm limits), downloads what the logger
recorded and shows it as a plot with maximum, minimum, average and alarm lines
that can be zoomed, read off sample by sample and printed. Recordings are saved
and can be exported as text, spreadsheet or CSV files.

The package holds the desktop application quillmark, the command-line tool
quillmark-cli for the same jobs without a window, and quillmark-logger-sim, a
simulated logger for trying them out. A udev rule lets the user logged in at
the computer open the logger without being root.]])

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Install into the staging folder through DESTDIR, so install steps meant for the running
# system (the desktop cache refresh) know to stay out of it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/QuillmarkStrip.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmark developers <quillmark@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmark.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the manual in a browser, the plot's metric-compatible stand-in for Arial, and Qt's
# Wayland platform, so a Wayland session runs the window natively (without it Qt falls back
# to XWayland; the command-line tool on a server needs none of these), and Qt's own dialog
# texts in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-liberation, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/postinst
                                       ${PROJECT_SOURCE_DIR}/resources/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
