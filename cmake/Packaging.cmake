# Installation and packages. Linux: `cmake --install` puts mirelith, mirelith-gui (built with
# the window) and hex2fls in bin, the manual pages, the bash completion and the USB identifier
# example in place (printer-sim only with MIRELITH_INSTALL_PRINTER_SIM), and `cpack -G DEB` makes
# two .deb packages whose dependencies come from dpkg-shlibdeps: mirelith, everything but the
# window, with no Qt and no X library (what a till needs), and mirelith-gui, the window, which
# depends on it. Windows: a zip of mirelith.exe, its console twin mirelith.com, hex2fls.exe
# and the README (`cpack -G ZIP`), and the installer mirelith-<version>-setup.exe, which every
# build makes when NSIS (makensis) is there.
include(GNUInstallDirs)

# Installing and packaging take what has been built; they do not build every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME mirelith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Writes new firmware into receipt printers")
set(CPACK_PACKAGE_CONTACT "Mirelith maintainers <mirelith@example.org>")
set(CPACK_PACKAGE_VENDOR "Mirelith")
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)

if(WIN32)
  install(TARGETS mirelith mirelith_console RUNTIME DESTINATION .)
  if(TARGET hex2fls)
    install(TARGETS hex2fls RUNTIME DESTINATION .)
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME mirelith-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

  # The installer is a script of ours (installer/mirelith.nsi) rather than CPack's NSIS
  # generator: it must refuse a running copy, replace an installed version whole or not at all
  # and say so in its exit code, which the generator's template does not do.
  find_program(MAKENSIS_PROGRAM makensis)
  if(MAKENSIS_PROGRAM AND TARGET hex2fls)
    set(MIRELITH_SETUP ${CMAKE_BINARY_DIR}/mirelith-${PROJECT_VERSION}-setup.exe)
    add_custom_command(
      OUTPUT ${MIRELITH_SETUP}
      COMMAND ${MAKENSIS_PROGRAM} -V2 -DVERSION=${PROJECT_VERSION} -DOUTFILE=${MIRELITH_SETUP}
              -DMIRELITH_EXE=$<TARGET_FILE:mirelith> -DMIRELITH_COM=$<TARGET_FILE:mirelith_console>
              -DHEX2FLS_EXE=$<TARGET_FILE:hex2fls> -DREADME=${CMAKE_SOURCE_DIR}/README.md
              ${CMAKE_SOURCE_DIR}/installer/mirelith.nsi
      DEPENDS mirelith mirelith_console hex2fls ${CMAKE_SOURCE_DIR}/installer/mirelith.nsi
              ${CMAKE_SOURCE_DIR}/README.md
      COMMENT "Making the installer mirelith-${PROJECT_VERSION}-setup.exe")
    add_custom_target(installer ALL DEPENDS ${MIRELITH_SETUP})
  else()
    message(STATUS "makensis not found (Debian package nsis): no installer is made")
  endif()
else()
  option(MIRELITH_INSTALL_PRINTER_SIM "Install printer-sim, the emulated printer, too" OFF)

  # Component "base" is the mirelith package, "gui" the mirelith-gui package.
  install(TARGETS mirelith RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT base)
  if(TARGET mirelith-gui)
    install(TARGETS mirelith-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
  endif()
  if(TARGET hex2fls)
    install(TARGETS hex2fls RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT base)
  endif()
  if(MIRELITH_INSTALL_PRINTER_SIM AND TARGET printer-sim)
    install(TARGETS printer-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT base)
  endif()

  # The pages in the tree name a version of their own, so `man -l docs/man/mirelith.1` reads
  # whole; the installed ones carry the project's. Debian wants them compressed.
  find_program(GZIP_PROGRAM gzip)
  foreach(page mirelith.1 hex2fls.1)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${CMAKE_SOURCE_DIR}/docs/man/${page})
    file(READ ${CMAKE_SOURCE_DIR}/docs/man/${page} page_text)
    string(REGEX REPLACE "\"mirelith [^\"]*\"" "\"mirelith ${PROJECT_VERSION}\"" page_text
                         "${page_text}")
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/man/${page} CONTENT "${page_text}" @ONLY)
    if(GZIP_PROGRAM)
      add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
                         COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_BINARY_DIR}/man/${page}
                                 > ${CMAKE_BINARY_DIR}/man/${page}.gz
                         DEPENDS ${CMAKE_BINARY_DIR}/man/${page})
      list(APPEND mirelith_man_pages ${CMAKE_BINARY_DIR}/man/${page}.gz)
    else()
      list(APPEND mirelith_man_pages ${CMAKE_BINARY_DIR}/man/${page})
    endif()
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${mirelith_man_pages})
  install(FILES ${mirelith_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT base)

  install(FILES ${CMAKE_SOURCE_DIR}/docs/completion/mirelith.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME mirelith
          COMPONENT base)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/completion/mirelith.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME hex2fls
          COMPONENT base)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/usbids.txt.example ${CMAKE_SOURCE_DIR}/README.md
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirelith COMPONENT base)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL base)
  if(TARGET mirelith-gui)
    list(APPEND CPACK_COMPONENTS_ALL gui)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)

  # Each description follows the summary line both packages share.
  set(CPACK_DEBIAN_BASE_PACKAGE_NAME mirelith)
  # CUPS holds the queues that are paused during a download; the program works without it.
  set(CPACK_DEBIAN_BASE_PACKAGE_SUGGESTS "cups, mirelith-gui")
  set(CPACK_COMPONENT_BASE_DESCRIPTION
      "Sends a firmware image to a printer on a serial, parallel or USB port or over TCP, pausing the CUPS queues on that printer meanwhile. Silent runs, printer identification and verification; no Qt and no X library, for tills and servers without a desktop. The window is in the mirelith-gui package.")
  # Purging removes the log that root runs kept.
  configure_file(${CMAKE_SOURCE_DIR}/cmake/debian-postrm ${CMAKE_BINARY_DIR}/debian/postrm
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE COPYONLY)
  set(CPACK_DEBIAN_BASE_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postrm)

  set(CPACK_DEBIAN_GUI_PACKAGE_NAME mirelith-gui)
  set(CPACK_DEBIAN_GUI_PACKAGE_SECTION x11)
  # The same version of the program: mirelith hands an interactive run over to it whole.
  set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "mirelith (= ${PROJECT_VERSION})")
  set(CPACK_COMPONENT_GUI_DESCRIPTION
      "The window of mirelith (Qt 6): model choice, port configuration, firmware file and download with a progress bar. mirelith opens it when started without -s on a desktop.")
endif()

include(CPack)
