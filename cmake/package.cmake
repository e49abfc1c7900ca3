# The release folder, made with every build so that the tests always try the package
# of the code they test (scripts/package.sh makes it alone; cmake/package_release.cmake
# says what it holds): release/CSPlugin-<version>.zip and .msi, the DLL's debug
# information beside them (scripts/resolve_crash.sh), and SHA256SUMS.
set(RELEASE_DIR ${CMAKE_BINARY_DIR}/release CACHE PATH "Where the release package is made")
set(RELEASE_SIGN_KEY "" CACHE STRING "Private key (PEM file or pkcs11: URI) that signs the release; empty: unsigned")
set(RELEASE_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM) of RELEASE_SIGN_KEY")
set(RELEASE_PKCS11_MODULE "" CACHE FILEPATH "PKCS#11 module of the token that holds a pkcs11: key")
set(RELEASE_SIGN_PIN_FILE "" CACHE FILEPATH "File that holds the token's PIN")
set(RELEASE_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamping service for the signatures")
set(RELEASE_NAME CSPlugin-${PROJECT_VERSION})
set(RELEASE_ZIP ${RELEASE_DIR}/${RELEASE_NAME}.zip)
set(RELEASE_MSI ${RELEASE_DIR}/${RELEASE_NAME}.msi)
set(RELEASE_DEBUG ${RELEASE_DIR}/${RELEASE_NAME}.dll.debug)
set(RELEASE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/package_release.cmake)
set(RELEASE_ARGS -DNAME=${RELEASE_NAME} -DVERSION=${PROJECT_VERSION}
    -DOBJCOPY=${CMAKE_OBJCOPY} -DSOURCE=${CMAKE_SOURCE_DIR}
    -DPLUGIN=$<TARGET_FILE:CSPlugin> -DSTATION=$<TARGET_FILE:StationSim>
    -DRECONCILE=$<TARGET_FILE:CSReconcile>)
# Every date in the package is the last commit's time: make it again after each commit
# or checkout, which the reflog records.
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --absolute-git-dir
                OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(RELEASE_COMMIT_LOG)
if(git_dir AND EXISTS ${git_dir}/logs/HEAD)
  set(RELEASE_COMMIT_LOG ${git_dir}/logs/HEAD)
endif()
# Made again when signing is turned on or off (the file changes only then).
set(RELEASE_SIGNING_STAMP ${CMAKE_BINARY_DIR}/release-signing.txt)
file(CONFIGURE OUTPUT ${RELEASE_SIGNING_STAMP} CONTENT "${RELEASE_SIGN_KEY}\n${RELEASE_SIGN_CERT}\n${RELEASE_PKCS11_MODULE}\n${RELEASE_SIGN_PIN_FILE}\n${RELEASE_TIMESTAMP_URL}\n")
add_custom_command(OUTPUT ${RELEASE_ZIP} ${RELEASE_MSI} ${RELEASE_DEBUG} ${RELEASE_DIR}/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} ${RELEASE_ARGS} -DOUT=${RELEASE_DIR}
          "-DSIGN_KEY=${RELEASE_SIGN_KEY}" -DSIGN_CERT=${RELEASE_SIGN_CERT}
          -DPKCS11_MODULE=${RELEASE_PKCS11_MODULE} -DSIGN_PIN_FILE=${RELEASE_SIGN_PIN_FILE}
          -DTIMESTAMP_URL=${RELEASE_TIMESTAMP_URL} -P ${RELEASE_SCRIPT}
  DEPENDS CSPlugin StationSim CSReconcile ${RELEASE_SCRIPT} ${CMAKE_SOURCE_DIR}/docs/CSPlugin.INI
          ${CMAKE_SOURCE_DIR}/ADMIN.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
          ${CMAKE_SOURCE_DIR}/tools/release/CSPlugin.wxs
          ${CMAKE_SOURCE_DIR}/tools/release/make_msi.sh
          ${CMAKE_SOURCE_DIR}/tools/release/make_zip.py ${RELEASE_COMMIT_LOG}
          ${CMAKE_SOURCE_DIR}/tools/deploy/prepare-station.cmd
          ${CMAKE_SOURCE_DIR}/tools/deploy/write-settings.ps1
          ${CMAKE_SOURCE_DIR}/tools/deploy/collect-journals.ps1
          ${RELEASE_SIGNING_STAMP}
  COMMENT "Making the release package (about 10 s) in ${RELEASE_DIR}"
  VERBATIM)
add_custom_target(release_package ALL DEPENDS ${RELEASE_ZIP})

# The package as an administrator uses it: unpacked into a fresh folder, the sample
# settings edited, the station simulator charging through the packaged DLL against a
# gateway stand-in; the packaged DLL's hardening and imports; and the debug file
# resolving an address of the packaged DLL. The checks that only read files (no Wine) are
# those of the shipped 32-bit package; a 64-bit build (scripts/wine_arch.sh) runs its own
# package under Wine. What runs under Wine carries the label wine.
add_library(planted_msimg32 SHARED ${CMAKE_SOURCE_DIR}/tests/release/planted_msimg32.c)
# In a folder of its own: beside the test programs it would stand in for the real one.
set_target_properties(planted_msimg32 PROPERTIES PREFIX "" OUTPUT_NAME msimg32
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
set(PACKAGE_TEST bash ${CMAKE_SOURCE_DIR}/tests/release/package_test.sh --zip ${RELEASE_ZIP}
    --debug ${RELEASE_DEBUG} --version ${PROJECT_VERSION} --sim ${GATEWAY_SIM}
    --planted $<TARGET_FILE:planted_msimg32>)
add_test(NAME release_package
         COMMAND ${PACKAGE_TEST} --part run --work ${CMAKE_BINARY_DIR}/package_test)
# The MSI under Wine's msiexec around a station's own files: install, a charge, an
# upgrade to a higher version, a refused downgrade, uninstall.
add_test(NAME release_msi
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/msi_test.sh ${RELEASE_MSI} ${PROJECT_VERSION}
                 $<TARGET_FILE:StationSim> ${GATEWAY_SIM} ${CMAKE_BINARY_DIR}/msi_test)
# The deployment scripts of the package under Wine's cmd, with stand-ins for the
# Windows tools that Wine only stubs (icacls, certutil, net).
add_executable(stand_in_tool ${CMAKE_SOURCE_DIR}/tests/release/stand_in_tool.c)
set_target_properties(stand_in_tool PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/stand_in)
add_test(NAME release_deploy
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/deploy_test.sh ${RELEASE_ZIP}
                 $<TARGET_FILE:stand_in_tool> ${CMAKE_BINARY_DIR}/deploy_test)
set_tests_properties(release_package release_msi release_deploy PROPERTIES LABELS wine)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME release_package_files
           COMMAND ${PACKAGE_TEST} --part files --work ${CMAKE_BINARY_DIR}/package_files_test)
  # Signed with a throwaway certificate, twice: the same bytes, verified against its CA.
  add_test(NAME release_signing
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/signing_test.sh
                   ${CMAKE_BINARY_DIR}/signing_test ${RELEASE_ARGS})
  # The same sources built again in another folder give the same release bytes.
  add_test(NAME release_reproducible
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/reproducible_test.sh
                   ${RELEASE_DIR} ${CMAKE_BINARY_DIR}/reproducible_test)
endif()
