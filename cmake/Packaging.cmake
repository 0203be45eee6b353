# The version, the install rules and the Debian package of the command-line
# program. The version is written once, in project(); --version, the release
# file names and the package all take it from there. The maintainer and the
# homepage are written once in CMakeLists.txt.
target_compile_definitions(tarnwell-cli PRIVATE TARNWELL_VERSION="${PROJECT_VERSION}")

set(TARNWELL_AUTHORS "The Tarnwell Password Generator authors")

include(GNUInstallDirs)
install(TARGETS tarnwell-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32)
  return()
endif()

# A stripped install (the package's) also drops the compiler's identification
# and the bare .note section, as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(
      COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tarnwell-cli\"
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR \"strip could not clean tarnwell-cli (\${status}).\")
    endif()
  endif()")

# The manual page is made from --help and --version by help2man when it is
# installed, so that building the program does not need help2man; the
# sections that --help does not hold come from docs/tarnwell-cli.h2m.in.
set(tarnwell_manpage ${CMAKE_BINARY_DIR}/tarnwell-cli.1.gz)
if(NOT TARNWELL_MAINTAINER MATCHES "^[^<]*[^< ] <([^>]+)>$")
  message(FATAL_ERROR "TARNWELL_MAINTAINER must read \"Name <address>\".")
endif()
set(TARNWELL_MAINTAINER_ADDRESS "${CMAKE_MATCH_1}")
configure_file(${CMAKE_SOURCE_DIR}/docs/tarnwell-cli.h2m.in ${CMAKE_BINARY_DIR}/tarnwell-cli.h2m
               @ONLY)
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
    set(TARNWELL_MANPAGE_INCLUDE \"${CMAKE_BINARY_DIR}/tarnwell-cli.h2m\")
    set(TARNWELL_MANPAGE_OUTPUT \"${tarnwell_manpage}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake\")")
endif()
install(FILES ${tarnwell_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A native package's changelog, dated at install time like the manual page.
set(tarnwell_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarnwell-cli)
set(tarnwell_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
install(CODE "
  set(TARNWELL_CHANGELOG_VERSION \"${PROJECT_VERSION}\")
  set(TARNWELL_CHANGELOG_MAINTAINER \"${TARNWELL_MAINTAINER}\")
  set(TARNWELL_CHANGELOG_OUTPUT \"${tarnwell_changelog}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake\")")
install(FILES ${tarnwell_changelog} DESTINATION ${tarnwell_docdir})

include(${CMAKE_CURRENT_LIST_DIR}/DebianCopyright.cmake)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${tarnwell_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwell-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${TARNWELL_AUTHORS}")
set(CPACK_PACKAGE_CONTACT "${TARNWELL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "derive a password from two keywords")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The command-line companion of Tarnwell Password Generator: it derives the
same password from the same two keywords and settings, on Linux and on
Windows. Nothing is stored.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
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
