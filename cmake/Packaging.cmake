# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package that `make package` builds (cpack -G DEB): the program
# and tarnowick-cli, the desktop entry, icons, metainfo, manual, manual pages,
# file-manager entries, systemd user units and the Ansible example under
# /usr. The settings live in each user's ~/.config and are never part of the
# package, so an upgrade or a removal leaves them as they are.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarnowick")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Tarnowick developers")
set(CPACK_PACKAGE_CONTACT "The Tarnowick developers <tarnowick@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "destroy files and free disk space by overwriting them")
# Lines of at most 80 characters; CPack indents them for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tarnowick overwrites files in place, flushes the overwrite to the device,
truncates, renames and removes them. It sweeps folders or whole drives for
files of chosen types, overwrites the free space of drives and pushes memory
out to swap. It never follows symbolic links and never leaves the file
system a sweep started on. tarnowick-cli runs the same commands without a
window, from scripts, daily systemd user timers and configuration-management
tools.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tarnowick_1.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The Qt runtime libraries the program links, with the versions that
# dpkg-shlibdeps reads from the libraries it was built against; where that
# tool is missing, the libraries by name.
find_program(TARNOWICK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNOWICK_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6gui6, libqt6network6, libqt6core6, libc6, libstdc++6")
endif()
# X11 support comes with libqt6gui6; a Wayland session runs the program
# natively with Qt's Wayland plugin, and through XWayland without it.
# Qt's own translations put the standard buttons and dialogs into the
# language the program's own texts are shown in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

include(CPack)
