# The shipped form of a Windows program, made whenever the program is built:
# ship/<file> beside bin/ is the program stripped of symbols and debug
# information, and ship/<file>.debug holds them; the stripped file names its
# .debug file (and its checksum) in a .gnu_debuglink section, so that gdb and
# addr2line find it when it lies beside the program. Tests keep running the
# unstripped programs in bin/. The install rules put both under x86/ or x64/:
# the stripped program as component Runtime, the .debug file as component
# Debug.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VENNOX_SHIP_ARCH x64)
else()
  set(VENNOX_SHIP_ARCH x86)
endif()
set(VENNOX_SHIP_DIR ${CMAKE_BINARY_DIR}/ship)

# vennox_ship(TARGET NAME): NAME is the target's file name.
function(vennox_ship target name)
  set(stripped ${VENNOX_SHIP_DIR}/${name})
  # The linker's map beside the program: what went into it, archive member by
  # archive member (the notices check reads it).
  target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE:${target}>.map)
  # Linked with the sources' time, and again when that changes.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VENNOX_SOURCE_DATE})
  add_dependencies(${target} vennox_source_date)
  add_custom_command(OUTPUT ${stripped} ${stripped}.debug
    COMMAND ${VENNOX_WITH_SOURCE_DATE} ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${name}.debug
    # In ship/: the link records the .debug file's name, not its path.
    COMMAND ${VENNOX_WITH_SOURCE_DATE} ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${name}.debug $<TARGET_FILE:${target}> ${name}
    DEPENDS ${target}
    WORKING_DIRECTORY ${VENNOX_SHIP_DIR}
    COMMENT "Splitting the debug information off ${name}"
    VERBATIM)
  add_custom_target(${target}_ship ALL DEPENDS ${stripped} ${stripped}.debug)
  install(FILES ${stripped} DESTINATION ${VENNOX_SHIP_ARCH} COMPONENT Runtime)
  install(FILES ${stripped}.debug DESTINATION ${VENNOX_SHIP_ARCH} COMPONENT Debug)
endfunction()
