# SPDX-License-Identifier: MIT
# Where Tollmark goes on a system: both programs, the desktop entry, icon, AppStream metainfo
# and man pages, and the Debian package built from them (cpack -G DEB).
include(GNUInstallDirs)

# The domain the application keys its settings store with (kOrganization in app/window/main.cpp);
# the desktop id, icon name and metainfo id are its reverse form.
set(TOLLMARK_ORGANIZATION_DOMAIN "tollmark.org")
string(REPLACE "." ";" _tollmark_domain_parts "${TOLLMARK_ORGANIZATION_DOMAIN}")
list(REVERSE _tollmark_domain_parts)
list(JOIN _tollmark_domain_parts "." _tollmark_reverse_domain)
set(TOLLMARK_APP_ID "${_tollmark_reverse_domain}.Tollmark")
if(TARGET tollmark)
  set_target_properties(tollmark PROPERTIES MACOSX_BUNDLE_GUI_IDENTIFIER ${TOLLMARK_APP_ID})
  # The window names its desktop entry, by which a Wayland desktop matches it to the entry.
  target_compile_definitions(tollmark PRIVATE TOLLMARK_APP_ID="${TOLLMARK_APP_ID}")
endif()

set(_tollmark_data ${PROJECT_SOURCE_DIR}/data)
set(_tollmark_generated ${PROJECT_BINARY_DIR}/data)

# Builds every program the package ships, and nothing else, for a packaging build that
# skips the tests (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY).
add_custom_target(tollmark-programs)

# Man pages are installed gzipped, as Debian wants them; -n keeps the archive reproducible.
function(tollmark_install_program program)
  if(NOT TARGET ${program})
    return()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} BUNDLE DESTINATION .)
  add_dependencies(tollmark-programs ${program})
  set(page ${_tollmark_generated}/${program}.1)
  set(packed ${page}.gz)
  configure_file(${_tollmark_data}/${program}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${packed}
    COMMAND gzip -9 -n -c ${page} > ${packed}
    DEPENDS ${page}
    COMMENT "Compressing man page ${program}.1")
  add_custom_target(${program}-manpage ALL DEPENDS ${packed})
  add_dependencies(tollmark-programs ${program}-manpage)
  install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

tollmark_install_program(tollmark)
tollmark_install_program(tollmark-scan)

configure_file(${_tollmark_data}/tollmark.desktop.in
  ${_tollmark_generated}/${TOLLMARK_APP_ID}.desktop @ONLY)
configure_file(${_tollmark_data}/tollmark.metainfo.xml.in
  ${_tollmark_generated}/${TOLLMARK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_tollmark_generated}/${TOLLMARK_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_tollmark_generated}/${TOLLMARK_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian wants the licence beside every package, in its machine-readable form.
configure_file(${_tollmark_data}/copyright.in ${_tollmark_generated}/copyright @ONLY)
install(FILES ${_tollmark_generated}/copyright
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tollmark)
install(FILES ${_tollmark_data}/tollmark.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${TOLLMARK_APP_ID}.svg)

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tollmark)
set(CPACK_PACKAGE_VENDOR "Tollmark developers")
set(CPACK_PACKAGE_CONTACT "Tollmark developers <maintainers@${TOLLMARK_ORGANIZATION_DOMAIN}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find which cabinets each AxeFx preset uses")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tollmark reads every preset and cabinet (IR) name from an AxeFx guitar amp\n"
  "modeller over MIDI SysEx and finds which cabinets the two cabinet blocks of\n"
  "each preset use. It shows the result as a \"Preset -> Cabs\" or\n"
  "\"Cab -> Presets\" table with CSV export. tollmark-scan runs the same scan\n"
  "from the command line, for scripts and backups.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
