# cmake -D SOURCE_DIR=... -D OUTPUT=... -P source-date.cmake
# The time that goes into built files, in seconds since 1970: SOURCE_DATE_EPOCH
# when set, else the time of the source tree's commit, so that two builds of
# one commit agree. OUTPUT is rewritten only when it changes, so that what
# depends on it is built again only then.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "source-date: ${SOURCE_DIR} is not a git checkout; set SOURCE_DATE_EPOCH")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "source-date: SOURCE_DATE_EPOCH '${epoch}' is not a number of seconds")
endif()
file(WRITE "${OUTPUT}.new" "${epoch}\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
