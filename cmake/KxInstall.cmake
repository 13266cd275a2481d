# Installation in the Debian layout, man pages, icons, desktop files and the .deb packages.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr for a package: libraries then go to
# lib/<multiarch> and the system-wide add-in registry to /etc/xdg.
include(GNUInstallDirs)

# The add-in's host folder: the library in AddIns/Kestrafix and the message files in ResStr,
# so that the folder functions find the host folder and ResStr from the library's own place.
set(KX_INSTALL_HOSTDIR ${CMAKE_INSTALL_LIBDIR}/kestrafix)
set(KX_INSTALL_ADDINDIR ${KX_INSTALL_HOSTDIR}/AddIns/Kestrafix)
set(KX_FULL_ADDINDIR ${CMAKE_INSTALL_FULL_LIBDIR}/kestrafix/AddIns/Kestrafix)
set(KX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrafix)
# The installed programs find the add-in relative to themselves.
file(RELATIVE_PATH KX_ADDIN_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${KX_FULL_ADDINDIR})
configure_file(cmake/install_paths.h.in ${CMAKE_BINARY_DIR}/generated/kx_install_paths.h @ONLY)

set(KX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KX_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)
set(KX_APP_ID org.kestrafix.KestrafixHost)

# kestrafix: the command line, the add-in with its message files and SQLite extension, the
# docs. kestrafix-host: the window. kestrafix-dev: the C interface for host authors.
install(TARGETS kestrafix_cli_binary RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS kestrafix LIBRARY DESTINATION ${KX_INSTALL_ADDINDIR} COMPONENT runtime
        NAMELINK_COMPONENT runtime)
install(TARGETS kxsqlite LIBRARY DESTINATION ${KX_INSTALL_ADDINDIR} COMPONENT runtime)
install(DIRECTORY examples/ResStr/ DESTINATION ${KX_INSTALL_HOSTDIR}/ResStr COMPONENT runtime)
install(FILES README.md docs/user-guide.md DESTINATION ${KX_INSTALL_DOCDIR} COMPONENT runtime)
install(DIRECTORY docs/screenshots DESTINATION ${KX_INSTALL_DOCDIR} COMPONENT runtime)
install(DIRECTORY examples/ DESTINATION ${KX_INSTALL_DOCDIR}/examples COMPONENT runtime)

# Each package's changelog in its doc folder, compressed as Debian has it.
configure_file(${KX_PACKAGING_DIR}/changelog.in ${KX_GENERATED_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${KX_GENERATED_DIR}/changelog.gz
                   COMMAND gzip -n -9 -c ${KX_GENERATED_DIR}/changelog > ${KX_GENERATED_DIR}/changelog.gz
                   DEPENDS ${KX_GENERATED_DIR}/changelog)
add_custom_target(kx_changelog ALL DEPENDS ${KX_GENERATED_DIR}/changelog.gz)
foreach(component runtime host dev)
  set(package kestrafix)
  if(NOT component STREQUAL "runtime")
    set(package kestrafix-${component})
  endif()
  install(FILES ${KX_GENERATED_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          COMPONENT ${component})
endforeach()

# The system-wide registry entry, read after each user's own. Only for an installation in /usr
# (a package): a hand-made one elsewhere registers with `kestrafix register --system`.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  configure_file(${KX_PACKAGING_DIR}/addins.ini.in ${KX_GENERATED_DIR}/addins.ini @ONLY)
  install(FILES ${KX_GENERATED_DIR}/addins.ini DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/kestrafix
          COMPONENT runtime)
  file(WRITE ${KX_GENERATED_DIR}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/kestrafix/addins.ini\n")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${KX_GENERATED_DIR}/conffiles)
endif()

# Siblings include each other by their own names, so the headers install side by side.
install(FILES src/addin/kestrafix.h src/addin/kestrafix_testing.h src/addin/kestrafix_entry_points.h
              src/addin/addin_registry.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrafix COMPONENT dev)
set(KX_PC_INCLUDEDIR ${CMAKE_INSTALL_FULL_INCLUDEDIR})
set(KX_PC_ADDINDIR ${KX_FULL_ADDINDIR})
set(KX_PC_DL "")
if(CMAKE_DL_LIBS)
  set(KX_PC_DL "-l${CMAKE_DL_LIBS}")
endif()
configure_file(${KX_PACKAGING_DIR}/kestrafix.pc.in ${KX_GENERATED_DIR}/kestrafix.pc @ONLY)
install(FILES ${KX_GENERATED_DIR}/kestrafix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# Man pages from the programs' own --help and --version, rebuilt with the programs.
find_program(KX_HELP2MAN help2man)
set(KX_MAN_PAGES "")
function(kx_man_page target page name component)
  set(out ${KX_GENERATED_DIR}/${page}.1)
  add_custom_command(
    OUTPUT ${out}.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${KX_HELP2MAN} --no-info --name=${name}
            --include=${KX_PACKAGING_DIR}/${page}.h2m --output=${out} $<TARGET_FILE:${target}>
    COMMAND gzip -n -9 -f ${out}
    DEPENDS ${target} ${KX_PACKAGING_DIR}/${page}.h2m
    COMMENT "Man page ${page}(1)")
  install(FILES ${out}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  set(KX_MAN_PAGES ${KX_MAN_PAGES} ${out}.gz PARENT_SCOPE)
endfunction()

if(KX_HELP2MAN)
  kx_man_page(kestrafix_cli_binary kestrafix "new NC jobs, bulk replace and job files of a CAM job manager"
              runtime)
else()
  message(STATUS "help2man not found: no man pages (scripts/setup.sh installs it)")
endif()

if(KX_BUILD_GUI)
  install(TARGETS kestrafix-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT host)
  install(FILES ${KX_PACKAGING_DIR}/${KX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          COMPONENT host)
  configure_file(${KX_PACKAGING_DIR}/${KX_APP_ID}.metainfo.xml.in ${KX_GENERATED_DIR}/${KX_APP_ID}.metainfo.xml
                 @ONLY)
  install(FILES ${KX_GENERATED_DIR}/${KX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          COMPONENT host)
  install(FILES ${KX_PACKAGING_DIR}/${KX_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT host)
  find_program(KX_RSVG_CONVERT rsvg-convert)
  if(KX_RSVG_CONVERT)
    set(icons "")
    foreach(size 16 24 32 48 64 128 256)
      set(png ${KX_GENERATED_DIR}/icons/${size}x${size}/${KX_APP_ID}.png)
      add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${KX_GENERATED_DIR}/icons/${size}x${size}
        COMMAND ${KX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${KX_PACKAGING_DIR}/${KX_APP_ID}.svg
        DEPENDS ${KX_PACKAGING_DIR}/${KX_APP_ID}.svg)
      list(APPEND icons ${png})
      install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
              COMPONENT host)
    endforeach()
    add_custom_target(kx_icons ALL DEPENDS ${icons})
  else()
    message(STATUS "rsvg-convert not found: only the scalable icon (scripts/setup.sh installs it)")
  endif()
  if(KX_HELP2MAN)
    kx_man_page(kestrafix-host kestrafix-host "job manager window that runs the Kestrafix add-in" host)
  endif()
endif()
if(KX_MAN_PAGES)
  add_custom_target(kx_man_pages ALL DEPENDS ${KX_MAN_PAGES})
endif()

# The desktop files stay valid: checked with the tests when the validators are there.
if(KX_BUILD_TESTS AND KX_BUILD_GUI)
  find_program(KX_DESKTOP_VALIDATE desktop-file-validate)
  find_program(KX_APPSTREAMCLI appstreamcli)
  if(KX_DESKTOP_VALIDATE)
    add_test(NAME packaging.desktop_entry COMMAND ${KX_DESKTOP_VALIDATE} ${KX_PACKAGING_DIR}/${KX_APP_ID}.desktop)
  endif()
  if(KX_APPSTREAMCLI)
    add_test(NAME packaging.metainfo
             COMMAND ${KX_APPSTREAMCLI} validate --no-net ${KX_GENERATED_DIR}/${KX_APP_ID}.metainfo.xml)
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrafix)
set(CPACK_PACKAGE_VENDOR "Kestrafix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
if(KX_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL host)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrafix developers <kestrafix@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kestrafix)
set(CPACK_DEBIAN_HOST_PACKAGE_NAME kestrafix-host)
set(CPACK_DEBIAN_HOST_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME kestrafix-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_HOST_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
# The first line of each description is the package's summary.
string(CONCAT CPACK_DEBIAN_RUNTIME_DESCRIPTION
       "Add-in for a CAM job manager: new NC jobs and bulk replace\n"
       "The add-in proposes the next free program number and file name of a new\n"
       "NC job, checks them, stores the job, creates its folders from per-machine\n"
       "templates and copies a selected job's files under the new name; it also\n"
       "sets one column for many jobs at once. This package holds the add-in\n"
       "library with its message files and SQLite extension, and the command line\n"
       "kestrafix.")
string(CONCAT CPACK_DEBIAN_HOST_DESCRIPTION
       "Job manager window for the Kestrafix add-in\n"
       "kestrafix-host shows the job table of a job database and runs the new-job\n"
       "and replace dialogs of the Kestrafix add-in on it.")
string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
       "C interface of the Kestrafix add-in\n"
       "Headers and a pkg-config file for hosts that load the Kestrafix add-in\n"
       "with dlopen.")
include(CPack)
