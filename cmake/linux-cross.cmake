# Cross-build for Linux on another processor with Debian's cross compiler,
# against the sysroot that scripts/cross-sysroot.sh makes from that
# architecture's own packages. The including toolchain file names the GNU
# triplet, the processor and the Debian architecture. Programs run under
# qemu-user in the same sysroot, so tests of a cross build run here as they
# would on that processor.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${TARNWELL_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${TARNWELL_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TARNWELL_CROSS_TRIPLET}-g++)

get_filename_component(CMAKE_SYSROOT
  "${CMAKE_CURRENT_LIST_DIR}/../build/sysroots/${TARNWELL_DEBIAN_ARCH}/root" ABSOLUTE)
if(NOT EXISTS "${CMAKE_SYSROOT}/lib")
  message(FATAL_ERROR "No sysroot for ${TARNWELL_DEBIAN_ARCH} in ${CMAKE_SYSROOT}; "
                      "make it with scripts/cross-sysroot.sh ${TARNWELL_DEBIAN_ARCH}.")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${TARNWELL_CROSS_PROCESSOR} -L ${CMAKE_SYSROOT})

# The sysroot has Debian's multiarch layout. CMake would read the triplet off
# the compiler's link line, which it cannot split when the folder's path
# holds a space; pkg-config then fails too (it doubles the sysroot in such a
# path), so find_library, searching lib/TRIPLET, is what finds the libraries.
set(CMAKE_LIBRARY_ARCHITECTURE ${TARNWELL_CROSS_TRIPLET})

# Libraries and headers from the sysroot only, never the machine's own;
# programs (Python, the build tools) from the machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CMAKE_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
    "${CMAKE_SYSROOT}/usr/lib/${TARNWELL_CROSS_TRIPLET}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig")

# The program finds its libraries where the target system keeps them (under
# qemu-user, in the sysroot), so it needs no RUNPATH. CMake would add one
# pointing into the sysroot wherever it misreads the compiler's library
# folders (in a path with a space), and its length would stay in the
# program after install removed it: a release built elsewhere would differ.
set(CMAKE_SKIP_RPATH ON)
