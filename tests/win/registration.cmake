# The module registered with Wine's regsvr32, then used by real containers:
# a VBScript through cscript and the ATL host window.
add_executable(registration_test ${CMAKE_CURRENT_LIST_DIR}/registration_test.cpp)
target_link_libraries(registration_test PRIVATE gtest_main vennox_ids ole32 oleaut32 uuid gdi32 user32 advapi32)
add_dependencies(registration_test vennox)
vennox_test(registration registration_test)
set_tests_properties(registration PROPERTIES RESOURCE_LOCK registry)
