#!/bin/sh
# source-date.sh FILE COMMAND [ARGS...]: runs COMMAND with the time FILE holds
# (cmake/source-date.cmake) as the time that goes into what it makes, in
# Coordinated Universal Time.
epoch=$(cat "$1") || exit 1
shift
TZ=UTC SOURCE_DATE_EPOCH=$epoch WIDL_TIME_OVERRIDE=$epoch exec "$@"
