# Signing of the release files. A real release is signed by the vendor's
# certificate, given to the release command through the environment
# (PURGELLO_SIGN_PFX, PURGELLO_SIGN_PASSWORD) and never stored here. A test build
# makes a throw-away certificate at configure time, signs with it, and pins its
# SHA-256 as the vendor's signer unless PURGELLO_VENDOR_SIGNER_SHA256 is given.
option(PURGELLO_TEST_SIGNING "Sign with a throw-away certificate made by the build and pin it" ${PURGELLO_BUILD_TESTS})
set(PURGELLO_RELEASE_ENV)
if(WIN32 AND PURGELLO_TEST_SIGNING)
  # Shareable between build folders whose programs must trust each other's installers.
  set(PURGELLO_TEST_SIGNING_DIR ${CMAKE_BINARY_DIR}/test-signing CACHE PATH "The throw-away signing certificate's folder")
  if(NOT EXISTS ${PURGELLO_TEST_SIGNING_DIR}/signer.sha256)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/release/make_test_certificate.sh ${PURGELLO_TEST_SIGNING_DIR}
                    RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "The throw-away signing certificate could not be made (openssl)")
    endif()
  endif()
  file(READ ${PURGELLO_TEST_SIGNING_DIR}/signer.sha256 PURGELLO_TEST_SIGNER_SHA256)
  string(STRIP "${PURGELLO_TEST_SIGNER_SHA256}" PURGELLO_TEST_SIGNER_SHA256)
  file(READ ${PURGELLO_TEST_SIGNING_DIR}/password test_password)
  string(STRIP "${test_password}" test_password)
  set(PURGELLO_RELEASE_ENV ${CMAKE_COMMAND} -E env PURGELLO_SIGN_PFX=${PURGELLO_TEST_SIGNING_DIR}/signer.pfx
      PURGELLO_SIGN_PASSWORD=${test_password})
  if(NOT PURGELLO_VENDOR_SIGNER_SHA256)
    # Shadows the empty cache default that app/ declares.
    set(PURGELLO_VENDOR_SIGNER_SHA256 ${PURGELLO_TEST_SIGNER_SHA256})
  endif()
endif()
