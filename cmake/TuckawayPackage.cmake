# A Debian package of what the install rules put in place:
#   cmake --build build-release --target package    (or scripts/package)
# Depends comes from the executable's shared libraries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tuckaway)
set(CPACK_PACKAGE_VENDOR "Tuckaway developers")
set(CPACK_PACKAGE_CONTACT "Tuckaway developers <maintainers@tuckaway.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep frequently used files one click away")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tuckaway sits in the panel's tray. A click opens a small panel of nooks:
named groups of files, folders and applications, each shown as an icon
grid. Files are added by dropping them on the panel, from the file manager
or from the command line, and opened with one click.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so dpkg-shlibdeps cannot see them: the SVG icons need Qt SVG.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4)")
# Opening files with their default application goes through xdg-open; Qt's native Wayland
# platform (QT_QPA_PLATFORM=wayland, no XWayland) is a plugin of its own; Qt's own catalogs
# name the keys of the shortcut and head the help in the session's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/tuckaway")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
