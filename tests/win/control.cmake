# The control object driven as a container and a script client drive it.
add_executable(control_test ${CMAKE_CURRENT_LIST_DIR}/control_test.cpp)
target_include_directories(control_test PRIVATE ${PROJECT_SOURCE_DIR}/nodeaccess)
target_link_libraries(control_test PRIVATE gtest_main vennox_ids ole32 oleaut32 uuid gdi32 user32)
add_dependencies(control_test vennox)
vennox_test(control control_test)
