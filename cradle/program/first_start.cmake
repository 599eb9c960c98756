# Lays out what a new program directory needs beside the programs: the
# first-start cradle.ini, unless the directory already has one (a user's
# settings are never replaced).
if(NOT EXISTS "${DIST}/cradle.ini")
  file(COPY_FILE "${SOURCE}" "${DIST}/cradle.ini")
endif()
