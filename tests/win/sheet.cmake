# The configuration sheet opened through the control's Properties verb, with
# the stand-in host's client site, driven from inside its modal loop.
add_executable(sheet_test ${CMAKE_CURRENT_LIST_DIR}/sheet_test.cpp)
target_include_directories(sheet_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/nodeaccess)
target_link_libraries(sheet_test PRIVATE gtest_main vennox_site vennox_ids ole32 oleaut32 uuid comctl32 user32)
add_dependencies(sheet_test vennox)
vennox_test(sheet sheet_test)
