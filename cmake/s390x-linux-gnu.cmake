# Cross-build for Linux on IBM Z (Debian's s390x), the big-endian processor
# that shows any byte-order assumption in the derivation.
set(TARNWELL_CROSS_TRIPLET s390x-linux-gnu)
set(TARNWELL_CROSS_PROCESSOR s390x)
set(TARNWELL_DEBIAN_ARCH s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
