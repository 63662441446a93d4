# The configuration sheet opened through the control's Properties verb, with
# the stand-in host's client site, driven from inside its modal loop.
add_executable(sheet_test ${CMAKE_CURRENT_LIST_DIR}/sheet_test.cpp)
target_include_directories(sheet_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/nodeaccess)
target_link_libraries(sheet_test PRIVATE gtest_main vennox_site vennox_ids ole32 oleaut32 uuid comctl32 user32)
add_dependencies(sheet_test vennox)
vennox_test(sheet sheet_test)

# The four Zone actual pages, every case on each zone's page.
add_executable(zone_actual_test ${CMAKE_CURRENT_LIST_DIR}/zone_actual_test.cpp)
target_include_directories(zone_actual_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(zone_actual_test PRIVATE gtest_main vennox_site vennox_ids ole32 oleaut32 uuid comctl32 user32)
add_dependencies(zone_actual_test vennox)
vennox_test(zone.actual zone_actual_test)

# The four Zone settings pages and zone 4's occupancy choice.
add_executable(zone_settings_test ${CMAKE_CURRENT_LIST_DIR}/zone_settings_test.cpp)
target_include_directories(zone_settings_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(zone_settings_test PRIVATE gtest_main vennox_site vennox_ids ole32 oleaut32 uuid comctl32 user32)
add_dependencies(zone_settings_test vennox)
vennox_test(zone.settings zone_settings_test)
