# Run by the install step: installs the launcher with the folder of the
# program files and the version filled in, for the prefix being installed
# to, so that it starts from any folder and never builds anything.
file(READ "${TAGSCRIBE_SOURCE_DIR}/tagscribe" launcher)
foreach(pair "#!/usr/bin/env bash\n|#!/bin/bash\n"
             "\nprogram_files=\n|\nprogram_files='${CMAKE_INSTALL_PREFIX}/lib/tagscribe'\n"
             "\nversion=\n|\nversion='${TAGSCRIBE_VERSION_TEXT}'\n")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  string(FIND "${launcher}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the launcher lacks the line to fill in: ${from}")
  endif()
  string(REPLACE "${from}" "${to}" launcher "${launcher}")
endforeach()
file(WRITE "${TAGSCRIBE_BINARY_DIR}/package/bin/tagscribe" "${launcher}")
file(INSTALL "${TAGSCRIBE_BINARY_DIR}/package/bin/tagscribe" DESTINATION "${CMAKE_INSTALL_PREFIX}/bin"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)
