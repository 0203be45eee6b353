# The version, the install rules and the Debian package of the command-line
# program. The version is written once, in project(); --version, the release
# file names and the package all take it from there.
target_compile_definitions(tarnwell-cli PRIVATE TARNWELL_VERSION="${PROJECT_VERSION}")

set(TARNWELL_AUTHORS "The Tarnwell Password Generator authors")

include(GNUInstallDirs)
install(TARGETS tarnwell-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  return()
endif()

# The manual page is made from --help and --version by help2man when it is
# installed, so that building the program does not need help2man.
set(tarnwell_manpage ${CMAKE_BINARY_DIR}/tarnwell-cli.1.gz)
install(CODE "
  set(TARNWELL_MANPAGE_PROGRAM \"$<TARGET_FILE:tarnwell-cli>\")
  set(TARNWELL_MANPAGE_OUTPUT \"${tarnwell_manpage}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake\")")
install(FILES ${tarnwell_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarnwell-cli RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwell-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${TARNWELL_AUTHORS}")
set(CPACK_PACKAGE_CONTACT "${TARNWELL_AUTHORS}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "derive a password from two keywords")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The command-line companion of Tarnwell Password Generator: it derives the
same password from the same two keywords and settings, on Linux and on
Windows. Nothing is stored.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
