# The manual page, the bash completion, the package documents, and the
# Debian package built by CPack (cpack -G DEB in the build folder).
#
# The package installs below /usr: the program in /usr/lib/talvenor with
# its help and licence terms, the link /usr/bin/talvenor, the desktop entry
# and icon, the manual page and completion, the library with its headers,
# CMake and pkg-config files, and the Python module; and the systemd units
# of the daily system-wide update in /lib/systemd/system, whose timer the
# package enables.

find_program(TALVENOR_GZIP gzip REQUIRED)

# ---- Manual page: the version filled in, compressed as Debian wants it ----
set(TALVENOR_MAN_SOURCE ${PROJECT_SOURCE_DIR}/docs/talvenor.1)
set(TALVENOR_MAN_PAGE ${PROJECT_BINARY_DIR}/man/talvenor.1)
set(VERSION ${PROJECT_VERSION})
configure_file(${TALVENOR_MAN_SOURCE} ${TALVENOR_MAN_PAGE} @ONLY)
unset(VERSION)
add_custom_command(OUTPUT ${TALVENOR_MAN_PAGE}.gz
  COMMAND sh -c "${TALVENOR_GZIP} -9n -c talvenor.1 > talvenor.1.gz"
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/man
  DEPENDS ${TALVENOR_MAN_PAGE}
  COMMENT "Compressing the manual page talvenor.1"
  VERBATIM)

# ---- Package documents: licence terms as copyright, a changelog ---------
set(TALVENOR_PACKAGE_CONTACT "Korvane Talvenor <talvenor@korvane.de>" CACHE STRING
  "Maintainer of the Debian package")
string(TIMESTAMP talvenor_build_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/package-doc/changelog
  "talvenor (${PROJECT_VERSION}) stable; urgency=medium\n\n"
  "  * Version ${PROJECT_VERSION}.\n\n"
  " -- ${TALVENOR_PACKAGE_CONTACT}  ${talvenor_build_date}\n")
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package-doc/changelog.gz
  COMMAND sh -c "${TALVENOR_GZIP} -9n -c changelog > changelog.gz"
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/package-doc
  DEPENDS ${PROJECT_BINARY_DIR}/package-doc/changelog
  VERBATIM)
add_custom_target(talvenor_package_files ALL
  DEPENDS ${TALVENOR_MAN_PAGE}.gz ${PROJECT_BINARY_DIR}/package-doc/changelog.gz)

install(FILES ${TALVENOR_MAN_PAGE}.gz DESTINATION share/man/man1 COMPONENT application)
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/talvenor
  DESTINATION share/bash-completion/completions COMPONENT application)
# The copyright file: who holds the rights, then the licence terms.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/talvenor.txt)
string(TIMESTAMP talvenor_year "%Y" UTC)
file(READ ${PROJECT_SOURCE_DIR}/data/talvenor.txt talvenor_licence)
file(WRITE ${PROJECT_BINARY_DIR}/package-doc/copyright
  "Talvenor\nCopyright (C) ${talvenor_year} Korvane\n\n${talvenor_licence}")
install(FILES ${PROJECT_BINARY_DIR}/package-doc/copyright DESTINATION share/doc/talvenor
  COMPONENT application)
install(FILES ${PROJECT_BINARY_DIR}/package-doc/changelog.gz DESTINATION share/doc/talvenor
  COMPONENT application)

# ---- CPack: one Debian package "talvenor" --------------------------------
set(CPACK_PACKAGE_NAME talvenor)
set(CPACK_PACKAGE_VENDOR Korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TALVENOR_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "German bank code and account number to IBAN and BIC")
set(CPACK_PACKAGE_DESCRIPTION
  "Talvenor converts a German bank account, given as bank code and account\n"
  "number, into its IBAN and the bank's BIC, checks account numbers with the\n"
  "check-digit methods of the German banks, checks IBANs, and converts whole\n"
  "IBANHIN files into IBANRUECK files. The package holds the program, its\n"
  "library libtalvenor with headers, CMake and pkg-config files, and the\n"
  "Python module talvenor.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
# The install rules need the real prefix (the link and the desktop entry
# name the program's final place), so CPack installs with DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.korvane.de/talvenor")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The Python module needs the interpreter and numpy, which no shared
# library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-numpy")
# The shared library in /usr/lib needs the linker cache refreshed after
# installing and removing; the dpkg trigger does that once per run.
file(WRITE ${PROJECT_BINARY_DIR}/package-doc/triggers "activate-noawait ldconfig\n")
# The maintainer scripts enable the daily update's timer on the first
# install, start and stop it where systemd runs, and on purge remove its
# state and the system-wide bank data in /var/lib/talvenor.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_BINARY_DIR}/package-doc/triggers
  ${PROJECT_SOURCE_DIR}/data/debian/postinst
  ${PROJECT_SOURCE_DIR}/data/debian/prerm
  ${PROJECT_SOURCE_DIR}/data/debian/postrm)
# Maintainer scripts 0755, the other control files 0644.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(TALVENOR_BUILD_TESTS)
  add_test(NAME option_docs COMMAND bash ${PROJECT_SOURCE_DIR}/tools/check_option_docs.sh
    $<TARGET_FILE:talvenor> ${TALVENOR_MAN_SOURCE} ${PROJECT_SOURCE_DIR}/data/completion/talvenor)
  # The units of the daily update as systemd reads them, and the update run
  # as the service runs it, within its sandbox. Each is skipped (77) where
  # its tools are missing. The sanitizers' runtimes make system calls of
  # their own, so only a plain build's program is held to the sandbox.
  set(talvenor_service ${PROJECT_SOURCE_DIR}/data/systemd/talvenor-update.service)
  add_test(NAME systemd_units COMMAND bash ${PROJECT_SOURCE_DIR}/tools/check_systemd_units.sh
    --program $<TARGET_FILE:talvenor> ${talvenor_service}
    ${PROJECT_SOURCE_DIR}/data/systemd/talvenor-update.timer)
  set_tests_properties(systemd_units PROPERTIES SKIP_RETURN_CODE 77)
  if(NOT TALVENOR_SANITIZE AND NOT TALVENOR_SANITIZE_THREAD)
    add_test(NAME update_sandbox COMMAND bash ${PROJECT_SOURCE_DIR}/tools/check_update_sandbox.sh
      $<TARGET_FILE:talvenor> ${talvenor_service} ${PROJECT_SOURCE_DIR}/tests/support/file_server.py
      ${PROJECT_SOURCE_DIR}/tests/data/blz_2026_06_08.txt)
    set_tests_properties(update_sandbox PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
  endif()
endif()
