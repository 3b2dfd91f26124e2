# Installing and packaging: `cmake --install` puts the four programs and their
# manual pages in place; CPack makes a Debian package from a Linux build and a
# .zip (programs, manual pages as text, README for Windows) from a Windows
# build. The release number is the project's (CMakeLists.txt).
include(GNUInstallDirs)

set(DS_MAN_PAGES datenschleuse datenschleuse-terminal datenschleuse-ini datenschleuse-report)
set(DS_PROGRAMS datenschleuse datenschleuse-terminal datenschleuse-ini)
if(TARGET datenschleuse-report)
  list(APPEND DS_PROGRAMS datenschleuse-report)
endif()

# The pages with the release number filled in, in BUILD/man.
set(DS_MAN_DIR ${PROJECT_BINARY_DIR}/man)
foreach(page ${DS_MAN_PAGES})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${DS_MAN_DIR}/${page}.1 @ONLY)
endforeach()

if(WIN32)
  # The zip: the programs at its top, the pages as text with CR LF line ends,
  # the README for Windows. The text pages are made by the host's groff.
  find_program(DS_GROFF groff REQUIRED)
  set(DS_TEXT_PAGES)
  foreach(page ${DS_MAN_PAGES})
    set(text ${DS_MAN_DIR}/${page}.txt)
    add_custom_command(
      OUTPUT ${text}
      COMMAND ${CMAKE_COMMAND} -DGROFF=${DS_GROFF} -DPAGE=${DS_MAN_DIR}/${page}.1 -DTEXT=${text}
              -P ${PROJECT_SOURCE_DIR}/cmake/man_to_text.cmake
      DEPENDS ${DS_MAN_DIR}/${page}.1 ${PROJECT_SOURCE_DIR}/cmake/man_to_text.cmake
      VERBATIM)
    list(APPEND DS_TEXT_PAGES ${text})
  endforeach()
  add_custom_target(ds_man_text ALL DEPENDS ${DS_TEXT_PAGES})
  install(TARGETS ${DS_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES ${DS_TEXT_PAGES} DESTINATION man)
  configure_file(${PROJECT_SOURCE_DIR}/docs/README-Windows.txt
                 ${PROJECT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README-Windows.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  # Debian's manual pages are compressed.
  find_program(DS_GZIP gzip REQUIRED)
  set(DS_PACKED_PAGES)
  foreach(page ${DS_MAN_PAGES})
    set(packed ${DS_MAN_DIR}/${page}.1.gz)
    add_custom_command(
      OUTPUT ${packed}
      COMMAND ${DS_GZIP} -9nc ${DS_MAN_DIR}/${page}.1 > ${packed}
      DEPENDS ${DS_MAN_DIR}/${page}.1)
    list(APPEND DS_PACKED_PAGES ${packed})
  endforeach()
  add_custom_target(ds_man_pages ALL DEPENDS ${DS_PACKED_PAGES})
  install(TARGETS ${DS_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${DS_PACKED_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # dpkg-shlibdeps declares the libraries the programs link: SQLite,
  # unixODBC and the C++ runtime.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

set(CPACK_PACKAGE_NAME datenschleuse)
set(CPACK_PACKAGE_VENDOR "datenschleuse")
set(CPACK_PACKAGE_CONTACT "datenschleuse maintainers <datenschleuse@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "file transfers between a server and time-recording terminals, with their log")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "datenschleuse moves files between a server and networked time-recording terminals and "
    "records every transfer in a database (SQLite or ODBC). Also: datenschleuse-terminal, a "
    "terminal simulator; datenschleuse-ini, the settings writer; datenschleuse-report, an HTML "
    "report of the transfer log.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
