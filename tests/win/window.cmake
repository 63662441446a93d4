# Window classes: dialogs, property sheets and pages, message maps.
add_executable(window_test
  ${CMAKE_CURRENT_SOURCE_DIR}/window_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/window_test.rc)
target_link_libraries(window_test PRIVATE gtest_main framework)
vennox_test(window window_test)
