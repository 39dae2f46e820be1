# Run by CPack on the staged files, before it zips them. CPack takes every
# file time from SOURCE_DATE_EPOCH (scripts/release sets it to the commit's
# date); without it the zip would carry the time of the build.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set: make the release with scripts/release")
endif()
# The same permissions whatever the builder's umask: programs rwxr-xr-x,
# other files rw-r--r--.
file(CHMOD_RECURSE ${CPACK_TEMPORARY_DIRECTORY}
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                           WORLD_READ WORLD_EXECUTE)
file(GLOB_RECURSE programs ${CPACK_TEMPORARY_DIRECTORY}/*.exe)
foreach(program ${programs})
  file(CHMOD ${program} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
endforeach()
