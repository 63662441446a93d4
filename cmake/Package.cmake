# What a release holds beside the programs (cmake/Shipping.cmake installs
# those under x86/ or x64/): the integrator's guide, the notices of the runtime
# parts linked in and the example operator sessions, as component Runtime.
# pack_release (scripts/lib.sh) installs both Windows trees into one folder
# and packs that.

install(FILES ${PROJECT_SOURCE_DIR}/docs/INTEGRATORS.md DESTINATION . RENAME INTEGRATORS.txt
  COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/docs/THIRD-PARTY-NOTICES.txt DESTINATION . COMPONENT Runtime)
# Example operator sessions for the stand-in host (--script).
foreach(example ${VENNOX_EXAMPLE_SCRIPTS})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/scripts/${example}.txt DESTINATION scripts COMPONENT Runtime)
endforeach()
