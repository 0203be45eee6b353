# Writes ${CMAKE_BINARY_DIR}/copyright, the package's copyright file in
# Debian's machine-readable format, from LICENSE: the notice and the licence
# text are taken from there, so that they are written once.
set(license_file ${CMAKE_SOURCE_DIR}/LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license_file})
file(READ ${license_file} license)
if(NOT license MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE is no longer the MIT licence with one copyright line; "
                      "update cmake/DebianCopyright.cmake to match it.")
endif()
set(holder "${CMAKE_MATCH_1}")
# In a field's continuation lines every line starts with a space, and an
# empty line is written as " .".
string(REPLACE "\n" "\n " body "${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" body "${body}")
set(text "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tarnwell Password Generator
Upstream-Contact: ${TARNWELL_MAINTAINER}
Source: ${PROJECT_HOMEPAGE_URL}

Files: *
Copyright: ${holder}
License: Expat
 ${body}
")
# Written only when it changes, so that a new configure installs nothing anew.
set(copyright_file ${CMAKE_BINARY_DIR}/copyright)
set(written "")
if(EXISTS ${copyright_file})
  file(READ ${copyright_file} written)
endif()
if(NOT written STREQUAL text)
  file(WRITE ${copyright_file} "${text}")
endif()
