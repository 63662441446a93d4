# The stand-in host: its client site over the simulated node, its command
# line, and the host program run on the built module.
add_executable(host_test ${CMAKE_CURRENT_LIST_DIR}/host_test.cpp)
target_link_libraries(host_test PRIVATE gtest_main vennox_host)
add_dependencies(host_test vennox vennox-host)
vennox_test(host host_test --gtest_filter=-HostProgram.*)
vennox_test(host.program host_test --gtest_filter=HostProgram.*)
