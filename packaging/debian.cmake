# The Debian package `vantrel` (cmake --build BUILD --target package, or cpack -G DEB in BUILD):
# both programs in /usr/lib/vantrel, the launcher on the PATH, the host registered system-wide with
# the browsers for the extension ids given here, and data.json as a conffile in /etc/vantrel.
set(VANTREL_CHROME_EXTENSION_ID "" CACHE STRING
    "Chromium-family extension id (32 letters a-p) that the Debian package lets start the host")
set(VANTREL_FIREFOX_ADDON_ID "" CACHE STRING
    "Firefox add-on id (name@domain or {GUID}) that the Debian package lets start the host")
set(VANTREL_PACKAGE_MAINTAINER "Vantrel maintainers <maintainers@vantrel.example>" CACHE STRING
    "Maintainer field of the Debian package")
if(VANTREL_CHROME_EXTENSION_ID STREQUAL "" AND VANTREL_FIREFOX_ADDON_ID STREQUAL "")
    message(STATUS "Debian package: no VANTREL_CHROME_EXTENSION_ID or VANTREL_FIREFOX_ADDON_ID given, "
                   "so the package registers the host with no browser")
endif()

# dpkg keeps an administrator's changes to a conffile over upgrades and removes them on purge; the
# host still finds it in its own folder, through a link.
set(VANTREL_PACKAGE_OPTIONS /etc/vantrel/data.json)
set(package_dir ${CMAKE_BINARY_DIR}/packaging)
file(WRITE ${package_dir}/conffiles "${VANTREL_PACKAGE_OPTIONS}\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browser extension host and check-in launcher of Vantrel")
# Read here: CPack escapes a description file's apostrophes as XML.
file(READ ${CMAKE_CURRENT_LIST_DIR}/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTREL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# vantrel-doctor is a Python script; the host opens URLs with xdg-open; on a Wayland desktop that
# draws no title bars itself (GNOME), the launcher's window gets one from libdecor's plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS python3)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libdecor-0-plugin-1-cairo")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${package_dir}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Lets the staging script below tell a package's install from a plain `cmake --install`.
set(CPACK_CUSTOM_INSTALL_VARIABLES VANTREL_DEBIAN_PACKAGE=ON)
include(CPack)

# Runs after every other install rule, so it must stay the last include of the top-level project.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian_stage.cmake.in ${package_dir}/debian_stage.cmake @ONLY)
install(SCRIPT ${package_dir}/debian_stage.cmake)
