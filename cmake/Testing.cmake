# GoogleTest from Debian's source package, and tests that run under Wine when
# cross-building for Windows.
enable_testing()

set(VENNOX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${VENNOX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# cmake/wine.sh picks the Wine loader for the programs' width.
set(VENNOX_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
math(EXPR _wine_width "${CMAKE_SIZEOF_VOID_P} * 8")
set(VENNOX_WINE_ENV VENNOX_WINE_DIR=${VENNOX_WINE_DIR} VENNOX_WINE_WIDTH=${_wine_width})
set(VENNOX_TEST_TIMEOUT 120)

if(CMAKE_CROSSCOMPILING)
  # Keeps Wine's desktop open from setup to cleanup (cmake/wine.sh).
  add_executable(wine-desktop ${CMAKE_SOURCE_DIR}/tests/win/wine_desktop.cpp)
  add_test(NAME wine.setup COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine.sh setup $<TARGET_FILE:wine-desktop>)
  add_test(NAME wine.cleanup COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine.sh cleanup)
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
    ENVIRONMENT "${VENNOX_WINE_ENV}")
  set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60
    ENVIRONMENT "${VENNOX_WINE_ENV}")
endif()

# vennox_test(NAME target [ARGS ...]): one ctest test running a test executable,
# through Wine when cross-building; it fails unless the program ends promptly
# after its last output (cmake/exits-promptly.sh).
function(vennox_test name target)
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/cmake/exits-promptly.sh
    ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${VENNOX_TEST_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
      ENVIRONMENT "${VENNOX_WINE_ENV}")
  endif()
endfunction()
