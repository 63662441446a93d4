# The type library's IDs as widl compiled them from resources/Vennox.idl, for
# the tools that need them beside the module: the installer and the package check.
#   cmake -D INPUT=VennoxLib_i.c -D WXI=VennoxIds.wxi -D SH=VennoxIds.sh -P idl-ids.cmake
# Each ID goes under widl's name (LIBID_VennoxLib, DIID__DVennox, CLSID_Vennox)
# in the form the registry holds it, upper case in braces: into WXI as a wixl
# <?define?>, into SH as a shell assignment.
file(STRINGS ${INPUT} lines REGEX "^MIDL_DEFINE_GUID\\(")
if(NOT lines)
  message(FATAL_ERROR "no IDs in ${INPUT}")
endif()

set(wxi "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- Written by cmake/idl-ids.cmake from resources/Vennox.idl. -->\n<Include>\n")
set(sh "# Written by cmake/idl-ids.cmake from resources/Vennox.idl.\n")
foreach(line IN LISTS lines)
  # MIDL_DEFINE_GUID(IID, LIBID_VennoxLib, 0x5d2a7c40, 0x8e13, 0x4b6f, 0x9c,0x21, 0x3a,...);
  # widl writes every field with its leading zeros.
  string(REGEX REPLACE "^MIDL_DEFINE_GUID\\([A-Z]+, *([A-Za-z0-9_]+),(.*)\\);$" "\\1;\\2" fields "${line}")
  list(POP_FRONT fields name)
  string(REGEX REPLACE "0x|[ ,]" "" hex "${fields}")
  string(TOUPPER "${hex}" hex)
  if(NOT hex MATCHES "^([0-9A-F]+)$" OR NOT hex MATCHES "^(........)(....)(....)(....)(............)$")
    message(FATAL_ERROR "${INPUT}: cannot read the ID in: ${line}")
  endif()
  set(id "{${CMAKE_MATCH_1}-${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4}-${CMAKE_MATCH_5}}")
  string(APPEND wxi "  <?define ${name} = \"${id}\" ?>\n")
  string(APPEND sh "${name}='${id}'\n")
endforeach()
string(APPEND wxi "</Include>\n")

file(WRITE ${WXI} "${wxi}")
file(WRITE ${SH} "${sh}")
