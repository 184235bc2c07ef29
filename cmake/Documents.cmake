# The documents that travel with the program, and its installation.
#
# Build: the help document Talvenor.pdf is rendered from docs/help/Talvenor.html
# and the licence terms talvenor.txt are copied, both into the build root
# beside the executable, where the program looks for them (its own folder;
# the licence terms are its own path with the extension "txt").
#
# Install: the program, Talvenor.pdf and talvenor.txt go into one folder
# (TALVENOR_PROGRAM_DIR, by default /opt/talvenor itself); a symbolic link on
# the PATH, the desktop entry, the icon and the systemd units of the daily
# system-wide update go into the locations of the cache variables below (by
# default below /usr/local). Relative locations are taken below the prefix.
# Absolute locations are used when installing into the configured prefix;
# an install into another prefix (cmake --install --prefix DIR, a staged or
# test install) puts them below DIR instead (bin, share/applications,
# share/icons/..., lib/systemd/system), so it never writes outside DIR.
# DESTDIR is honoured.

# ---- Build: help document and licence terms beside the executable --------

# A build tool, run during the build: no sanitizers, whose leak reports
# about Qt's font caches would fail the build.
add_executable(render_help_pdf ${PROJECT_SOURCE_DIR}/tools/render_help_pdf.cc)
target_link_libraries(render_help_pdf PRIVATE Qt6::Gui)
set_property(TARGET render_help_pdf PROPERTY COMPILE_OPTIONS -Wall -Wextra)
set_property(TARGET render_help_pdf PROPERTY LINK_OPTIONS "")
if(TALVENOR_WERROR)
  target_compile_options(render_help_pdf PRIVATE -Werror)
endif()

set(TALVENOR_HELP_SOURCE ${PROJECT_SOURCE_DIR}/docs/help/Talvenor.html)
# Pictures the help document refers to, if any, lie beside it.
file(GLOB TALVENOR_HELP_IMAGES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/help/*.png ${PROJECT_SOURCE_DIR}/docs/help/*.jpg)
set(TALVENOR_HELP_PDF ${PROJECT_BINARY_DIR}/Talvenor.pdf)
set(TALVENOR_LICENCE_SOURCE ${PROJECT_SOURCE_DIR}/data/talvenor.txt)
set(TALVENOR_LICENCE_TEXT ${PROJECT_BINARY_DIR}/talvenor.txt)

add_custom_command(OUTPUT ${TALVENOR_HELP_PDF}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:render_help_pdf> ${TALVENOR_HELP_SOURCE} ${TALVENOR_HELP_PDF}
  DEPENDS render_help_pdf ${TALVENOR_HELP_SOURCE} ${TALVENOR_HELP_IMAGES}
  COMMENT "Rendering the help document Talvenor.pdf"
  VERBATIM)
add_custom_command(OUTPUT ${TALVENOR_LICENCE_TEXT}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TALVENOR_LICENCE_SOURCE} ${TALVENOR_LICENCE_TEXT}
  DEPENDS ${TALVENOR_LICENCE_SOURCE}
  COMMENT "Copying the licence terms talvenor.txt"
  VERBATIM)
add_custom_target(talvenor_documents ALL DEPENDS ${TALVENOR_HELP_PDF} ${TALVENOR_LICENCE_TEXT})
add_dependencies(talvenor talvenor_documents)

# ---- Install ----------------------------------------------------------------

# Without a prefix of the user's own, the program gets a folder of its own
# under /opt and the rest goes where /usr/local keeps it. With one, the usual
# tree below that prefix is used (lib/talvenor, bin, share).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /opt/talvenor CACHE PATH "Install prefix" FORCE)
  set(program_dir ".")
  set(link_dir "/usr/local/bin")
  set(share_dir "/usr/local/share")
else()
  set(program_dir "lib/talvenor")
  set(link_dir "bin")
  set(share_dir "share")
endif()

set(TALVENOR_PROGRAM_DIR "${program_dir}" CACHE STRING
  "Folder for the program, Talvenor.pdf and talvenor.txt (relative: below the prefix)")
set(TALVENOR_LINK_DIR "${link_dir}" CACHE STRING
  "Folder on the PATH for the symbolic link 'talvenor' to the program (relative: below the prefix)")
set(TALVENOR_APPLICATIONS_DIR "${share_dir}/applications" CACHE STRING
  "Folder for the desktop entry talvenor.desktop (relative: below the prefix)")
set(TALVENOR_ICON_DIR "${share_dir}/icons/hicolor/scalable/apps" CACHE STRING
  "Folder for the icon talvenor.svg (relative: below the prefix)")
# The units of the daily update stay off until an administrator enables
# the timer; the Debian package enables it. Beside a program in its own
# folder under /opt they go where systemd looks for local units.
if(TALVENOR_PROGRAM_DIR STREQUAL ".")
  set(unit_dir "/usr/local/lib/systemd/system")
else()
  set(unit_dir "lib/systemd/system")
endif()
set(TALVENOR_SYSTEMD_UNIT_DIR "${unit_dir}" CACHE STRING
  "Folder for talvenor-update.service and talvenor-update.timer (relative: below the prefix)")

# The program's own folder under /opt is the prefix itself; installed into
# another prefix (a package's /usr, or cmake --install --prefix DIR) the
# program gets lib/talvenor there instead, so it never lies loose in the
# prefix. The choice is made when installing, when that prefix is known.
if(TALVENOR_PROGRAM_DIR STREQUAL ".")
  install(CODE "
if(CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
  set(talvenor_program_dir .)
else()
  set(talvenor_program_dir lib/talvenor)
endif()
")
  set(program_destination "\${talvenor_program_dir}")
else()
  set(program_destination "${TALVENOR_PROGRAM_DIR}")
endif()

install(TARGETS talvenor RUNTIME DESTINATION ${program_destination})
install(FILES ${TALVENOR_HELP_PDF} ${TALVENOR_LICENCE_TEXT} DESTINATION ${program_destination})

# The link, desktop entry and icon need the prefix of the install run, so
# their rule runs as a script then.
install(CODE "
set(TALVENOR_CONFIGURED_PREFIX \"${CMAKE_INSTALL_PREFIX}\")
set(TALVENOR_PROGRAM_DIR \"${program_destination}\")
set(TALVENOR_LINK_DIR \"${TALVENOR_LINK_DIR}\")
set(TALVENOR_APPLICATIONS_DIR \"${TALVENOR_APPLICATIONS_DIR}\")
set(TALVENOR_ICON_DIR \"${TALVENOR_ICON_DIR}\")
set(TALVENOR_SYSTEMD_UNIT_DIR \"${TALVENOR_SYSTEMD_UNIT_DIR}\")
set(TALVENOR_SYSTEMD_UNIT_SOURCES \"${PROJECT_SOURCE_DIR}/data/systemd/talvenor-update.service;${PROJECT_SOURCE_DIR}/data/systemd/talvenor-update.timer\")
set(TALVENOR_DESKTOP_SOURCE \"${PROJECT_SOURCE_DIR}/data/talvenor.desktop\")
set(TALVENOR_ICON_SOURCE \"${PROJECT_SOURCE_DIR}/data/talvenor.svg\")
set(TALVENOR_STAGING_DIR \"${PROJECT_BINARY_DIR}/install-staging\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallDesktopIntegration.cmake)
