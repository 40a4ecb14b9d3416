# Pre-build step of the package (CPACK_PRE_BUILD_SCRIPTS): the Depends field
# from dpkg-shlibdeps on the staged ELF files, done here instead of by
# CPack's own SHLIBDEPS, which would also add ldconfig calls for any
# library below /usr/lib, and ours is private to the program.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE files LIST_DIRECTORIES false "${stage}/*")
set(elves)
foreach(f ${files})
  if(NOT IS_SYMLINK "${f}")
    file(READ "${f}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      list(APPEND elves "-e${f}")
    endif()
  endif()
endforeach()
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control" "Source: orvane\n\nPackage: orvane\nArchitecture: any\n")
execute_process(COMMAND dpkg-shlibdeps -O ${elves} WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "dpkg-shlibdeps failed: ${err}")
endif()
message(STATUS "dpkg-shlibdeps: ${CMAKE_MATCH_1}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${CMAKE_MATCH_1}")
