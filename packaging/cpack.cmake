# The Debian package, built by CPack (scripts/package). Included at the end of the top-level CMakeLists.txt,
# after every install rule.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quibrel)
set(CPACK_PACKAGE_VENDOR "Quibrel developers")
set(CPACK_PACKAGE_CONTACT "Quibrel developers <dev@quibrel.invalid>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quibrel.invalid/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher for a command-line handheld-console emulator")
# Lines of the long description are kept under 80 characters, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION [=[
Quibrel is a one-window launcher for the handheld-console emulator Zemu.exe.
Browse your folders for a game image, pick one with a double-click, set the
emulator's options on eight option pages and press PLAY: Quibrel starts the
emulator with the game and the options on its command line.

The emulator is not part of this package: Quibrel looks for it in the folder
it is started from.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries are found by dpkg-shlibdeps; the fonts are looked up by name at run time, so they are listed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-terminus, fonts-blankenburg")
# Qt's Wayland platform plugin: on a Wayland desktop the program then runs as a native client instead of through
# XWayland. Qt loads it at run time, so dpkg-shlibdeps cannot find it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
