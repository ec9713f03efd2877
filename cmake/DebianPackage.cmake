# `cpack -G DEB` in the build folder makes spanwell_VERSION_ARCH.deb from what `cmake --install`
# puts on the system.

set(CPACK_PACKAGE_NAME spanwell)
set(CPACK_PACKAGE_VERSION ${SPANWELL_VERSION})
set(CPACK_PACKAGE_VENDOR Spanwell)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Claude Code usage limits of every account, in the tray")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://spanwell.app")
set(SPANWELL_PACKAGE_MAINTAINER "Spanwell <packages@spanwell.app>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${SPANWELL_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

# The name Debian's tools give: spanwell_0.1_amd64.deb.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, with their versions, found by dpkg-shlibdeps rather than
# listed by hand; Qt's platform and TLS plugins come with those libraries' own packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform is a plugin, which no library names: without it Qt draws through XWayland
# on a Wayland desktop, where the panel can neither stand by the bar nor know where the tray is.
# Qt SQL's SQLite driver is a plugin too, which libqt6sql6 does not bring: without it no history
# is kept or shown.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, libqt6sql6-sqlite")
# The long description under the summary, in lines short enough for a terminal; CPack puts the
# space before each that a control file wants.
set(CPACK_PACKAGE_DESCRIPTION "Spanwell sits in the system tray and shows, for every Claude Code
account signed in on this computer, how much of each usage limit is used,
when each limit resets, and whether the account can be used right now.
It can add an account or sign one in again through Claude Code's own login.
For terminals and status bars (waybar and others) it prints the same figures
as text or JSON, and names the account that has room now.")

include(CPack)
