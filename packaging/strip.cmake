# Install step of the package: strips the ELF files of the installed program
# folder as dh_strip would (shared libraries of their unneeded symbols too).
file(GLOB_RECURSE files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/orvane/*")
foreach(f ${files})
  file(READ "${f}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    set(options --remove-section=.comment --remove-section=.note)
    if(f MATCHES "\\.so$")
      list(APPEND options --strip-unneeded)
    endif()
    execute_process(COMMAND "${ORV_STRIP}" ${options} "${f}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
