# GoogleTest for the Windows build, compiled from Debian's sources (package
# googletest) with the cross compiler; replaces CMake's FindGTest there.
# Provides GTest::gtest and GTest::gtest_main.
set(DELAYSUB_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(NOT TARGET GTest::gtest_main)
  if(NOT EXISTS ${DELAYSUB_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${DELAYSUB_GTEST_SOURCE} "
                        "(Debian package googletest; scripts/windows.sh installs it)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "No GoogleMock in the Windows build")
  set(INSTALL_GTEST OFF CACHE BOOL "GoogleTest is not installed with the programs")
  add_subdirectory(${DELAYSUB_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
set(GTest_FOUND TRUE)
set(GTEST_FOUND TRUE)
