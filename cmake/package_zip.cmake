# Makes the release package; run by the release_package target (cmake/package.cmake) as
#   cmake -DNAME=.. -DVERSION=.. -DOUT=.. -DOBJCOPY=.. -DSOURCE=.. -DPLUGIN=.. -DSTATION=..
#         -P package_zip.cmake
# OUT/NAME.zip holds the folder NAME with CSPlugin.dll and StationSim.exe, both without
# debug information, and the sample CSPlugin.INI, ADMIN.md and CHANGELOG.md with Windows
# line ends. OUT/NAME.dll.debug, beside the ZIP, holds the DLL's debug information; the
# packaged DLL names that file and carries its checksum (.gnu_debuglink), so gdb and
# addr2line find it when it lies beside the DLL and refuse one of another build.
foreach(variable NAME VERSION OUT OBJCOPY SOURCE PLUGIN STATION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "package_zip.cmake needs -D${variable}=...")
  endif()
endforeach()

# A release says what changed: the change log's first entry must be this version's.
file(STRINGS ${SOURCE}/CHANGELOG.md entries REGEX "^## ")
list(GET entries 0 latest)
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT latest MATCHES "^## ${version_pattern}( |$)")
  message(FATAL_ERROR "CHANGELOG.md must begin with an entry \"## ${VERSION}\", not \"${latest}\"")
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

set(stage ${OUT}/${NAME})
set(zip ${OUT}/${NAME}.zip)
set(debug ${OUT}/${NAME}.dll.debug)
file(REMOVE_RECURSE ${stage} ${zip} ${debug})
file(MAKE_DIRECTORY ${stage})

run(${OBJCOPY} --only-keep-debug ${PLUGIN} ${debug})
run(${OBJCOPY} --strip-all --add-gnu-debuglink=${debug} ${PLUGIN} ${stage}/CSPlugin.dll)
run(${OBJCOPY} --strip-all ${STATION} ${stage}/StationSim.exe)
foreach(text docs/CSPlugin.INI ADMIN.md CHANGELOG.md)
  file(READ ${SOURCE}/${text} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  get_filename_component(name ${text} NAME)
  file(WRITE ${stage}/${name} "${content}")
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${NAME}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not make ${zip}")
endif()
file(REMOVE_RECURSE ${stage})

file(SIZE ${zip} zip_size)
file(SIZE ${PLUGIN} built_size)
file(SIZE ${debug} debug_size)
message(STATUS "release package ${zip}: ${zip_size} bytes; "
               "CSPlugin.dll as built ${built_size} bytes, its debug information "
               "${debug_size} bytes in ${debug}")
