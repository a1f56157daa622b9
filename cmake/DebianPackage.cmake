# cpack -G DEB in the build folder: brelvox_<version>-<release>_<arch>.deb holding the install tree
# under /usr, its dependencies worked out by dpkg-shlibdeps, the manual page and the changelog
# compressed and the copyright file in /usr/share/doc/brelvox (cmake/debian/, laid into the package's
# tree by cmake/debian/FinishTree.cmake). The changelog's first entry must be this version.
set(BRELVOX_PACKAGE_MAINTAINER "The Brelvox developers <brelvox@users.noreply.github.com>"
    CACHE STRING "The Debian package's Maintainer (name <address>)")
set(BRELVOX_PACKAGE_RELEASE 1)

file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/debian/changelog" top LIMIT_COUNT 1)
if(NOT top MATCHES "^brelvox \\(${PROJECT_VERSION}-${BRELVOX_PACKAGE_RELEASE}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog starts with \"${top}\", not with version "
                        "${PROJECT_VERSION}-${BRELVOX_PACKAGE_RELEASE}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelvox)
set(CPACK_PACKAGE_CONTACT "${BRELVOX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D tank game: defend your base against enemy tanks")
set(CPACK_PACKAGE_DESCRIPTION
    "Brelvox is a single-player 3D tank game. Drive your tank through brick and rock
mazes, aim the turret with the mouse and defend the base in its brick enclosure
against four kinds of enemy tanks. Six levels, bonuses, a table of the five
best scores, menus in English, Ukrainian and Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/debian/FinishTree.cmake")
set(CPACK_BRELVOX_DEBIAN_FILES "${CMAKE_CURRENT_LIST_DIR}/debian")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRELVOX_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/brelvox/brelvox)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# OpenGL is opened at run time (epoxy and SDL load libGL), so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)

include(CPack)
