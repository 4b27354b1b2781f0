# The Debian package: `cpack` in a build folder (or `cmake --build build --target package`) writes
# kestrelvine_<version>_<arch>.deb from what `cmake --install` lays out, under /usr. Its dependencies on
# shared libraries are read from the binaries by dpkg-shlibdeps; what the binaries only load at run time
# is named by hand below. The menu entry and the icons need no maintainer scripts: Debian's desktop and
# icon-cache triggers pick them up on install and on removal.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrelvine)
set(CPACK_PACKAGE_VENDOR "Tolvermax Studio")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Video converter with live preview, trimming, cropping and watermarks")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrelvine Converter converts video and audio files in batches to the formats of phones, players, \
the web and editing programs. Each file can be trimmed, cropped, adjusted and watermarked while a live \
preview shows the result, and files can be merged into one. The package also holds kestrelvine-cli, \
the same conversions from the command line.")
set(CPACK_PACKAGE_CONTACT "Tolvermax Studio <kestrelvine@tolvermax.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The modules link one another; dpkg-shlibdeps finds them here, inside the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin/plugins")
# Loaded at run time, so invisible to dpkg-shlibdeps: Qt's X11 and Wayland window-system plugins, and
# the faces the windows are drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core, fonts-dejavu-extra")
# Qt's own MIME data would do, but the desktop's is what "Open with" uses.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
