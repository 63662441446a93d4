# Registration of the type library, the control class and the plug-in key, in
# the test prefix's registry.
add_executable(registry_test
  ${CMAKE_CURRENT_SOURCE_DIR}/registry_test.cpp
  ${PROJECT_SOURCE_DIR}/module/PluginKey.cpp)
target_include_directories(registry_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(registry_test PRIVATE gtest_main framework nodeaccess vennox_ids)
# The type library and the string table come from the built module.
add_dependencies(registry_test vennox)
vennox_test(registry registry_test)
set_tests_properties(registry PROPERTIES RESOURCE_LOCK registry)
