# cpack -G DEB: a Debian package of what cmake --install installs. Its
# dependencies are worked out by dpkg-shlibdeps from the libraries the
# programs link, so they follow the build instead of a list kept by hand.
set(CPACK_PACKAGE_NAME vidlark)
set(CPACK_PACKAGE_VENDOR "Vidlark developers")
set(CPACK_PACKAGE_CONTACT "Vidlark developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copies videos, music and photos onto a PSP Memory Stick")
set(CPACK_PACKAGE_DESCRIPTION
  "Vidlark copies MP4 videos, MP3 music and JPEG photos onto the Memory Stick of a
PlayStation Portable, into the folders the device expects, and lists, plays and
deletes what is on it. vidlark-probe shows what the program reads from videos
and pictures.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries, so dpkg-shlibdeps cannot find them: xdg-open plays a file
# with the desktop's program, and the Japanese texts want a Japanese font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-ipafont-gothic")
include(CPack)
