# The release package, made with every build so that the tests always try the package
# of the code they test (scripts/package.sh makes it alone):
#   release/CSPlugin-<version>.zip        what an administrator installs (ADMIN.md)
#   release/CSPlugin-<version>.dll.debug  beside it, not in it: the DLL's debug
#                                         information, to resolve a crash address from
#                                         a site (scripts/resolve_crash.sh)
set(RELEASE_DIR ${CMAKE_BINARY_DIR}/release CACHE PATH "Where the release package is made")
set(RELEASE_NAME CSPlugin-${PROJECT_VERSION})
set(RELEASE_ZIP ${RELEASE_DIR}/${RELEASE_NAME}.zip)
set(RELEASE_DEBUG ${RELEASE_DIR}/${RELEASE_NAME}.dll.debug)
set(RELEASE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/package_zip.cmake)
add_custom_command(OUTPUT ${RELEASE_ZIP} ${RELEASE_DEBUG}
  COMMAND ${CMAKE_COMMAND} -DNAME=${RELEASE_NAME} -DVERSION=${PROJECT_VERSION}
          -DOUT=${RELEASE_DIR} -DOBJCOPY=${CMAKE_OBJCOPY} -DSOURCE=${CMAKE_SOURCE_DIR}
          -DPLUGIN=$<TARGET_FILE:CSPlugin> -DSTATION=$<TARGET_FILE:StationSim>
          -P ${RELEASE_SCRIPT}
  DEPENDS CSPlugin StationSim ${RELEASE_SCRIPT} ${CMAKE_SOURCE_DIR}/docs/CSPlugin.INI
          ${CMAKE_SOURCE_DIR}/ADMIN.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
  COMMENT "Making the release package ${RELEASE_ZIP}"
  VERBATIM)
add_custom_target(release_package ALL DEPENDS ${RELEASE_ZIP})

# The package as an administrator uses it: unpacked into a fresh folder, the sample
# settings edited, the station simulator charging through the packaged DLL against a
# gateway stand-in; and the debug file resolving an address of the packaged DLL.
# The checks that read the files (no Wine) are those of the shipped 32-bit package; a
# 64-bit build (scripts/wine_arch.sh) only runs its own package under Wine.
set(PACKAGE_TEST bash ${CMAKE_SOURCE_DIR}/tests/release/package_test.sh --zip ${RELEASE_ZIP}
    --debug ${RELEASE_DEBUG} --version ${PROJECT_VERSION} --sim ${GATEWAY_SIM})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME release_package_files
           COMMAND ${PACKAGE_TEST} --part files --work ${CMAKE_BINARY_DIR}/package_files_test)
endif()
add_test(NAME release_package
         COMMAND ${PACKAGE_TEST} --part run --work ${CMAKE_BINARY_DIR}/package_test)
set_tests_properties(release_package PROPERTIES LABELS wine)
