# GoogleTest for the Windows build, from the sources Debian ships (or an
# installed package), and tests that run under Wine when cross-compiling.
if(NOT TARGET GTest::gtest)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

enable_testing()
# Cached, so that test programs defined in other folders find it too.
set(MAJ_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh CACHE INTERNAL "")

# Registers a test program; a cross build runs it under Wine, in a prefix of
# the build's own, on a virtual display when there is none.
function(maj_add_wine_test target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target}
             COMMAND sh ${MAJ_WINE_RUN}
                     ${CMAKE_BINARY_DIR}/wine-prefix $<TARGET_FILE:${target}>)
    # One Wine prefix and display at a time.
    set_tests_properties(${target} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600)
  else()
    add_test(NAME ${target} COMMAND ${target})
  endif()
endfunction()
