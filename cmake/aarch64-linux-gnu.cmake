# Cross-build for Linux on 64-bit ARM (Debian's arm64).
set(TARNWELL_CROSS_TRIPLET aarch64-linux-gnu)
set(TARNWELL_CROSS_PROCESSOR aarch64)
set(TARNWELL_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
