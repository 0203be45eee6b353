# Read by cpack for a cross build (CPACK_PROJECT_CONFIG_FILE): the package's
# Depends from dpkg-shlibdeps, as for a native package. dpkg-shlibdeps looks
# a library's package up in the machine's dpkg database, which holds no
# package of another architecture; here it is pointed (-S) at the sysroot's
# packages, each unpacked with its control files by scripts/cross-sysroot.sh,
# and reads the same symbols and shlibs files there. DEB_HOST_ARCH makes it
# read the program with that architecture's objdump.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(GLOB package_folders LIST_DIRECTORIES true "${CPACK_TARNWELL_SYSROOT_PACKAGES}/*")
if(NOT package_folders)
  message(FATAL_ERROR "No sysroot packages in ${CPACK_TARNWELL_SYSROOT_PACKAGES}; make them "
                      "with scripts/cross-sysroot.sh ${CPACK_TARNWELL_DEBIAN_ARCH}.")
endif()
set(search_options)
foreach(folder IN LISTS package_folders)
  list(APPEND search_options "-S${folder}")
endforeach()

# dpkg-shlibdeps wants a source package's debian/control beside it.
set(work "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control"
     "Source: ${CPACK_PACKAGE_NAME}\n\nPackage: ${CPACK_PACKAGE_NAME}\nArchitecture: any\n")
set(ENV{DEB_HOST_ARCH} "${CPACK_TARNWELL_DEBIAN_ARCH}")
execute_process(
  COMMAND dpkg-shlibdeps -O ${search_options} "-e${CPACK_TARNWELL_PROGRAM}"
  WORKING_DIRECTORY "${work}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output MATCHES "^shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies of ${CPACK_TARNWELL_PROGRAM} "
                      "(${status}):\n${output}${errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
