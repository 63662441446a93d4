# The release package, packed by CPack as two ZIP files named with the
# version: Vennox-<version>.zip for integrators (the stripped modules and hosts
# under x86/ and x64/, INTEGRATORS.txt and the example scripts) and Vennox-<version>-debug.zip
# (their .debug files, same layout). One build tree packs what it installs
# itself; the package preset "windows" (scripts/package) packs the win32 and
# win64 trees together.

install(FILES ${PROJECT_SOURCE_DIR}/docs/INTEGRATORS.md DESTINATION . RENAME INTEGRATORS.txt
  COMPONENT Runtime)
# Example operator sessions for the stand-in host (--script).
foreach(example ${VENNOX_EXAMPLE_SCRIPTS})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/scripts/${example}.txt DESTINATION scripts COMPONENT Runtime)
endforeach()

set(CPACK_PACKAGE_NAME Vennox)
set(CPACK_PACKAGE_VENDOR "Vennox Building Controls")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR ZIP)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Debug)
# Both unpack into Vennox-<version>/, the debug files beside their programs.
set(CPACK_PACKAGE_FILE_NAME Vennox-${PROJECT_VERSION})
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_RUNTIME_FILE_NAME Vennox-${PROJECT_VERSION})
set(CPACK_ARCHIVE_DEBUG_FILE_NAME Vennox-${PROJECT_VERSION}-debug)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
