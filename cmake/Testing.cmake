# GoogleTest: the system's package (Debian's libgtest-dev ships its CMake
# package) wherever one exists for the target. MinGW-w64 has none, and the
# cross sysroots hold no googletest package, so those builds compile it from
# the sources that Debian's googletest package installs. Without
# BUILD_TESTING nothing here is looked up, and the test programs are left out
# of the build.
if(NOT BUILD_TESTING)
  function(tarnwell_add_gtest target)
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endfunction()
  return()
endif()

set(TARNWELL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
    "GoogleTest's sources, for a cross build whose target has no GoogleTest package")
if(CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
else()
  find_package(GTest REQUIRED)
endif()
if(NOT GTest_FOUND)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TARNWELL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL SYSTEM)
endif()
include(GoogleTest)

# One CTest entry per test case natively; under Wine one entry per program,
# since every start of Wine costs a second or more.
function(tarnwell_add_gtest target)
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
