# SPDX-License-Identifier: GPL-3.0-or-later
# cpack -G DEB: the Debian package, from a build configured with the /usr prefix
# (scripts/check-package builds it and runs lintian on it).
set(CPACK_PACKAGE_NAME artcal)
set(CPACK_PACKAGE_CONTACT "artcal maintainers <maintainers@artcal.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop calendar with a picture of the day")
# Debian's lines are at most 80 characters; the paragraph is kept as it is written here.
set(CPACK_PACKAGE_DESCRIPTION "A small frameless window on the desktop, painted like an object: an
art picture on top, replaced every few minutes, every hour or on request,
and the month below it with today marked. Pictures come from artcal-server,
a small picture server in this package that serves folders of pictures or a
demo library it paints itself; the package starts it in every user's session.")
set(CPACK_STRIP_FILES ON)
# The install runs with the prefix /usr itself, so the user unit names /usr/bin.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The packaging's own revision, which changelog.Debian names too.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library link shows: the fonts the skin is painted with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
# Qt's menus and dialogs follow the desktop's style with the theme. Qt opens pages and
# folders with xdg-open, else with $BROWSER or a browser it knows by name; with none
# of them the widget logs that nothing opened and runs on. qt6-wayland lets it run in a
# Wayland session without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-gtk-platformtheme, qt6-wayland, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/postinst
  ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's documents: the copyright file and the changelog, compressed as policy asks.
set(changelog ${CMAKE_BINARY_DIR}/generated/changelog.Debian)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND gzip -9n -c ${changelog} > ${changelog}.gz
  DEPENDS ${changelog})
add_custom_target(artcal_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
