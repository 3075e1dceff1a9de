# What makes the release files the same bytes for everyone who builds one commit, and what signs them
# when a certificate is given. Included by the top-level list file.

# No link time in the PE header (its checksum then follows from the bytes), and no source or build
# folder in a program, should any path reach one.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)

# The one time a release file holds, the installed files' time, is the commit's: SOURCE_DATE_EPOCH when
# set, as reproducible-build tools agree, else the time of the commit the sources are checked out at.
set(SAVER_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(NOT SAVER_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  execute_process(COMMAND git rev-parse --show-toplevel --absolute-git-dir
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE git_dirs ERROR_QUIET
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REPLACE "\n" ";" git_dirs "${git_dirs};;")
  list(GET git_dirs 0 git_top)
  list(GET git_dirs 1 git_dir)
  # Only the sources' own checkout counts, not one they happen to be copied into; git names it by its real
  # path, so a source path through a symbolic link is resolved before the two are compared.
  file(REAL_PATH "${CMAKE_SOURCE_DIR}" source_real)
  if(git_top AND IS_DIRECTORY "${git_top}")
    file(REAL_PATH "${git_top}" git_top)
  endif()
  if(git_top STREQUAL source_real)
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE SAVER_SOURCE_DATE_EPOCH ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    # A new commit configures the tree again, so its time reaches the installer without a clean build.
    if(EXISTS ${git_dir}/logs/HEAD)
      set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
    endif()
  endif()
  # Sources without their history (an unpacked archive) keep their own times, which another copy does not
  # share: said, so that nobody takes such files for the commit's.
  if(NOT SAVER_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(TIMESTAMP ${CMAKE_SOURCE_DIR}/CMakeLists.txt SAVER_SOURCE_DATE_EPOCH "%s" UTC)
    message(WARNING "${CMAKE_SOURCE_DIR} is not a git checkout of its own and SOURCE_DATE_EPOCH is not set: "
                    "the installer's file times are those of CMakeLists.txt (${SAVER_SOURCE_DATE_EPOCH}), "
                    "not a commit's, and another build of these sources will not give the same bytes.")
  endif()
endif()
# Rewritten only when it changes: what depends on the time depends on this file.
set(SAVER_EPOCH_FILE ${CMAKE_BINARY_DIR}/generated/source-date-epoch.txt)
file(CONFIGURE OUTPUT ${SAVER_EPOCH_FILE} CONTENT "${SAVER_SOURCE_DATE_EPOCH}\n")

# Signing, only when a PKCS#12 file is named (QSS_SIGN_PKCS12): SHA-256, and a time stamp only from a
# server that is named (QSS_SIGN_TIMESTAMP). The password (QSS_SIGN_PASSWORD) is read from the
# environment when a file is signed and is written nowhere.
set(SAVER_SIGN_ARGS)
set(sign_state "unsigned")
if(NOT "$ENV{QSS_SIGN_PKCS12}" STREQUAL "")
  set(pkcs12 "$ENV{QSS_SIGN_PKCS12}")
  if(NOT IS_ABSOLUTE "${pkcs12}" OR NOT EXISTS "${pkcs12}")
    message(FATAL_ERROR "QSS_SIGN_PKCS12 must name an existing PKCS#12 file by its full path: ${pkcs12}")
  endif()
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "QSS_SIGN_PKCS12 is set but osslsigncode is not installed")
  endif()
  file(SHA256 "${pkcs12}" pkcs12_hash)
  set(SAVER_SIGN_ARGS "${pkcs12}" $ENV{QSS_SIGN_TIMESTAMP})
  set(sign_state "${pkcs12} ${pkcs12_hash} $ENV{QSS_SIGN_TIMESTAMP}")
endif()
# A change of certificate or server makes the files again: the programs relink on it.
set(SAVER_SIGN_FILE ${CMAKE_BINARY_DIR}/generated/signing.txt)
file(CONFIGURE OUTPUT ${SAVER_SIGN_FILE} CONTENT "${sign_state}\n")
# Puts a release file in place: publish.sh <built file> <release file> ${SAVER_SIGN_ARGS}
set(SAVER_PUBLISH bash ${CMAKE_SOURCE_DIR}/cmake/publish.sh)
