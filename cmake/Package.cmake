# The Debian package: what cmake/Install.cmake installs, under /usr. Its dependencies are read
# from the binaries by dpkg-shlibdeps, so they follow whatever FFmpeg, libjpeg and XCB the build found.
set(CPACK_PACKAGE_NAME streamclient)
set(CPACK_PACKAGE_VENDOR "client developers")
set(CPACK_PACKAGE_CONTACT "client developers <client@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RTSP video player library for host applications, with its simulator and tools")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_GENERATOR DEB)
include(CPack)
