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
if(CMAKE_CROSSCOMPILING)
  # A cross build cannot run its program for help2man: it installs the page
  # that a native build of the same commit rendered.
  set(TARNWELL_MANPAGE_FROM "" CACHE FILEPATH
      "The manual page (.1.gz) that a native build rendered, for a cross build to install")
  if(TARNWELL_MANPAGE_FROM)
    set(tarnwell_manpage ${TARNWELL_MANPAGE_FROM})
  else()
    install(CODE "message(FATAL_ERROR \"A cross build installs the manual page that a native \"
                                      \"build rendered; configure it with \"
                                      \"-DTARNWELL_MANPAGE_FROM=NATIVE_BUILD/tarnwell-cli.1.gz.\")")
  endif()
else()
  install(CODE "
    set(TARNWELL_MANPAGE_PROGRAM \"$<TARGET_FILE:tarnwell-cli>\")
    set(TARNWELL_MANPAGE_OUTPUT \"${tarnwell_manpage}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake\")")
endif()
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
if(CMAKE_CROSSCOMPILING)
  # The architecture is the toolchain's, not this machine's, and Depends comes
  # from the sysroot's packages, which the machine's dpkg does not know.
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${TARNWELL_DEBIAN_ARCH})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  get_target_property(tarnwell_cli_folder tarnwell-cli BINARY_DIR)
  set(CPACK_TARNWELL_PROGRAM ${tarnwell_cli_folder}/tarnwell-cli)
  get_filename_component(CPACK_TARNWELL_SYSROOT_PACKAGES ${CMAKE_SYSROOT}/../packages ABSOLUTE)
  set(CPACK_TARNWELL_DEBIAN_ARCH ${TARNWELL_DEBIAN_ARCH})
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CrossDebDepends.cmake)
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
