# Install step for what lives outside the program folder: the symbolic link
# on the PATH, the desktop entry and the icon. Runs inside cmake_install.cmake
# with the variables set by cmake/Documents.cmake.
#
# A relative location is taken below the prefix of this install run. An
# absolute one is used as it stands only when this run installs into the
# prefix the build was configured with; otherwise (cmake --install --prefix
# DIR) the location falls back to its usual place below DIR.

function(talvenor_install_location out location fallback)
  if(NOT IS_ABSOLUTE "${location}")
    set(location "${CMAKE_INSTALL_PREFIX}/${location}")
  elseif(NOT CMAKE_INSTALL_PREFIX STREQUAL TALVENOR_CONFIGURED_PREFIX)
    set(location "${CMAKE_INSTALL_PREFIX}/${fallback}")
  endif()
  cmake_path(NORMAL_PATH location)
  string(REGEX REPLACE "(.)/$" "\\1" location "${location}")
  set(${out} "${location}" PARENT_SCOPE)
endfunction()

if(IS_ABSOLUTE "${TALVENOR_PROGRAM_DIR}")
  set(program "${TALVENOR_PROGRAM_DIR}/talvenor")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${TALVENOR_PROGRAM_DIR}/talvenor")
endif()
cmake_path(NORMAL_PATH program)

talvenor_install_location(link_dir "${TALVENOR_LINK_DIR}" "bin")
talvenor_install_location(applications_dir "${TALVENOR_APPLICATIONS_DIR}" "share/applications")
talvenor_install_location(icon_dir "${TALVENOR_ICON_DIR}" "share/icons/hicolor/scalable/apps")

# The link points at the program's final place (without DESTDIR), so a
# staged tree works once it is copied into place.
set(link "${link_dir}/talvenor")
if(NOT link STREQUAL program)
  message(STATUS "Installing: $ENV{DESTDIR}${link} -> ${program}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${link_dir}")
  file(REMOVE "$ENV{DESTDIR}${link}")
  file(CREATE_LINK "${program}" "$ENV{DESTDIR}${link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")
endif()

# The desktop entry starts the program by its full path, so it works even
# where the link folder is not on the PATH.
file(READ "${TALVENOR_DESKTOP_SOURCE}" entry)
set(exec "${program}")
string(REPLACE "%" "%%" exec "${exec}")
if(NOT exec MATCHES "^[A-Za-z0-9._/+-]+$")
  # A quoted argument escapes \ " ` $ with a backslash; the entry's own
  # string escaping then doubles every backslash.
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\nExec=talvenor " "\nExec=${exec} " entry "${entry}")
file(MAKE_DIRECTORY "${TALVENOR_STAGING_DIR}")
file(WRITE "${TALVENOR_STAGING_DIR}/talvenor.desktop" "${entry}")
file(INSTALL DESTINATION "${applications_dir}" TYPE FILE FILES "${TALVENOR_STAGING_DIR}/talvenor.desktop")
file(INSTALL DESTINATION "${icon_dir}" TYPE FILE FILES "${TALVENOR_ICON_SOURCE}")
