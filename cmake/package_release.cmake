# Makes the release folder; run by the release_package target (cmake/package.cmake) as
#   cmake -DNAME=.. -DVERSION=.. -DOUT=.. -DOBJCOPY=.. -DSOURCE=.. -DPLUGIN=.. -DSTATION=.. -DRECONCILE=..
#         [-DSIGN_KEY=key.pem|pkcs11:URI -DSIGN_CERT=cert.pem [-DPKCS11_MODULE=module.so]
#          [-DSIGN_PIN_FILE=file] [-DTIMESTAMP_URL=url]] -P package_release.cmake
# OUT receives:
#   NAME.zip        the folder NAME with CSPlugin.dll, StationSim.exe and the
#                   administrator's CSReconcile.exe, without debug information, and the
#                   sample CSPlugin.INI, ADMIN.md, CHANGELOG.md and the deployment scripts
#                   of tools/deploy with Windows line ends
#   NAME.msi        the DLL, sample, guide and change log as an MSI (tools/release/)
#   NAME.dll.debug  the DLL's debug information; the packaged DLL names that file and
#                   carries its checksum (.gnu_debuglink), so gdb and addr2line find it
#                   when it lies beside the DLL and refuse one of another build
#   SHA256SUMS      the checksums of the three, as sha256sum -c reads them
# With SIGN_KEY and SIGN_CERT the DLL and the two programs are signed (Authenticode,
# SHA-256) before they are packed, and then the MSI. The key is a PEM file, or a key in a
# PKCS#11 token named by its URI (pkcs11:token=...;object=...;type=private), reached
# through PKCS11_MODULE, with the token's PIN in SIGN_PIN_FILE or in the URI. With
# TIMESTAMP_URL each signature gets an RFC 3161 time stamp from that service, so that it
# stays valid after the certificate expires. Every date inside, the signing time
# included, is the commit time (SOURCE_DATE_EPOCH when set, else the checkout's last
# commit), so the same commit gives the same bytes, unless a time stamp is asked for.
foreach(variable NAME VERSION OUT OBJCOPY SOURCE PLUGIN STATION RECONCILE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "package_release.cmake needs -D${variable}=...")
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
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${SOURCE} is not a git checkout: set SOURCE_DATE_EPOCH to the "
                        "commit time (seconds since 1970) that the release's dates take")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "the commit time '${epoch}' is not a number of seconds")
endif()

set(signing OFF)
if(SIGN_KEY OR SIGN_CERT)
  if(NOT SIGN_KEY OR NOT SIGN_CERT)
    message(FATAL_ERROR "signing needs both a key and a certificate")
  endif()
  set(signing ON)
endif()
# A pkcs11: URI separates its attributes with ';', which is CMake's list separator: the
# key goes to osslsigncode as one quoted argument, never through a list.
set(sign_options -certs ${SIGN_CERT})
if(SIGN_KEY MATCHES "^pkcs11:")
  if(NOT PKCS11_MODULE)
    message(FATAL_ERROR "a key in a PKCS#11 token needs the token's module (PKCS11_MODULE)")
  endif()
  list(APPEND sign_options -pkcs11module ${PKCS11_MODULE})
endif()
if(SIGN_PIN_FILE)
  list(APPEND sign_options -readpass ${SIGN_PIN_FILE})
endif()
if(TIMESTAMP_URL)
  list(APPEND sign_options -ts ${TIMESTAMP_URL})
endif()
# Authenticode with SHA-256 at the commit time; with an RSA key and no time stamp the
# same input gives the same signature.
function(sign file)
  if(signing)
    execute_process(COMMAND osslsigncode sign -key "${SIGN_KEY}" ${sign_options} -h sha256
                            -n "CardSmith Payment Plug-in" -time ${epoch} -in ${file} -out ${file}.signed
                    RESULT_VARIABLE status OUTPUT_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "failed (${status}): signing ${file} with ${SIGN_KEY}")
    endif()
    file(RENAME ${file}.signed ${file})
  endif()
endfunction()

set(stage ${OUT}/${NAME})
set(zip ${OUT}/${NAME}.zip)
set(msi ${OUT}/${NAME}.msi)
set(debug ${OUT}/${NAME}.dll.debug)
set(sums ${OUT}/SHA256SUMS)
file(REMOVE_RECURSE ${stage} ${zip} ${msi} ${debug} ${sums})
file(MAKE_DIRECTORY ${stage})

# objcopy stamps the PE header with the time of the copy, or SOURCE_DATE_EPOCH.
set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} ${OBJCOPY})
run(${objcopy} --only-keep-debug ${PLUGIN} ${debug})
run(${objcopy} --strip-all --add-gnu-debuglink=${debug} ${PLUGIN} ${stage}/CSPlugin.dll)
run(${objcopy} --strip-all ${STATION} ${stage}/StationSim.exe)
run(${objcopy} --strip-all ${RECONCILE} ${stage}/CSReconcile.exe)
sign(${stage}/CSPlugin.dll)
sign(${stage}/StationSim.exe)
sign(${stage}/CSReconcile.exe)
foreach(text docs/CSPlugin.INI ADMIN.md CHANGELOG.md tools/deploy/prepare-station.cmd
             tools/deploy/write-settings.ps1 tools/deploy/collect-journals.ps1)
  file(READ ${SOURCE}/${text} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  get_filename_component(name ${text} NAME)
  file(WRITE ${stage}/${name} "${content}")
endforeach()

run(python3 ${SOURCE}/tools/release/make_zip.py ${stage} ${epoch} ${zip})
# Deflated again by zopfli (advzip): 4% smaller, still plain deflate for any unzipper.
run(advzip --recompress --shrink-insane ${zip})
run(bash ${SOURCE}/tools/release/make_msi.sh ${stage} ${VERSION} ${epoch} ${msi})
sign(${msi})
file(REMOVE_RECURSE ${stage})

set(listing "")
foreach(file ${zip} ${msi} ${debug})
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  string(APPEND listing "${hash}  ${name}\n")
endforeach()
file(WRITE ${sums} "${listing}")
