# Install step for what lives outside the program folder: the symbolic link
# on the PATH, the desktop entry, the icon and the systemd units of the daily
# system-wide update. Runs inside cmake_install.cmake with the variables set
# by cmake/Documents.cmake.
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

# The systemd units of the daily system-wide update. The service starts the
# program by the link on the PATH (/usr/bin/talvenor in the package), or by
# the program's own path where there is no link.
talvenor_install_location(unit_dir "${TALVENOR_SYSTEMD_UNIT_DIR}" "lib/systemd/system")
# Debian 12 keeps the units of its packages in /lib/systemd/system, also for
# the programs in /usr.
if(unit_dir STREQUAL "/usr/lib/systemd/system")
  set(unit_dir "/lib/systemd/system")
endif()
if(link STREQUAL program)
  set(exec "${program}")
else()
  set(exec "${link}")
endif()
# systemd takes no backslash, quote, dollar sign and the like in the name of
# a program; a unit naming one would not load, so none is installed then.
if(NOT exec MATCHES "^[A-Za-z0-9._/+ %-]+$")
  message(WARNING "The systemd units of the daily update are not installed: "
    "systemd cannot start a program named ${exec}.")
  return()
endif()
if(NOT exec MATCHES "^[A-Za-z0-9._/+-]+$")
  # A space needs the name quoted; a % (which systemd would expand) is doubled.
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
set(units "")
foreach(source IN LISTS TALVENOR_SYSTEMD_UNIT_SOURCES)
  file(READ "${source}" unit)
  if(source MATCHES "[.]service$")
    string(FIND "${unit}" "\nExecStart=/usr/bin/talvenor " at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${source} does not start /usr/bin/talvenor")
    endif()
    string(REPLACE "\nExecStart=/usr/bin/talvenor " "\nExecStart=${exec} " unit "${unit}")
  endif()
  cmake_path(GET source FILENAME name)
  file(WRITE "${TALVENOR_STAGING_DIR}/${name}" "${unit}")
  list(APPEND units "${TALVENOR_STAGING_DIR}/${name}")
endforeach()
file(INSTALL DESTINATION "${unit_dir}" TYPE FILE FILES ${units})
