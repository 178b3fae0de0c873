# `cpack -G DEB` in the build folder makes a .deb of what `cmake --install` installs, its
# Depends worked out from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME portmesa)
set(CPACK_PACKAGE_VENDOR "The Portmesa developers")
set(CPACK_PACKAGE_CONTACT "The Portmesa developers <portmesa@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the web page and the event log goes through the desktop's handlers.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION [[
Finds the small managed Ethernet switches on every subnet the workstation is
on, keeps a polled monitor list of them, changes their addressing, names and
password, asks for a DHCP refresh and upgrades their firmware over TFTP:
a Qt window (portmesa) and a command-line program for scripts (portmesa-cli).]])
include(CPack)
