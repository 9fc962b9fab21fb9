# Install rules and the Debian package: `cmake --install build --prefix /usr`, `cpack` in the build
# folder (scripts/package.sh does both checks and the build). Included once, at the end of the
# top CMakeLists.txt, so that every program target is known here.
include(GNUInstallDirs)

set(QUILLON_APP_ID org.quillon.Quillon)
# Shown in the AppStream release and the package's changelog; change it with the version.
set(QUILLON_RELEASE_DATE 2026-12-09)
set(QUILLON_MAINTAINER "The Quillon team <quillon@example.org>")
option(QUILLON_PACKAGING "Fail the configure when something the package needs (help2man) is missing" OFF)

# The programs the package ships, "target|one-line description" (the manual page's NAME line).
# A program whose target this build does not define (the GUI without Qt, say) is left out.
set(QUILLON_SHIPPED_PROGRAMS
  "quillon|service tool for HART field devices"
  "quillon-devsim|simulator of HART field devices and a flow computer on a pseudo-terminal"
  "quillon-cli|command-line service tool for HART field devices")

find_program(QUILLON_HELP2MAN help2man)
if(NOT QUILLON_HELP2MAN AND QUILLON_PACKAGING)
  message(FATAL_ERROR "help2man is needed for the manual pages (scripts/install-deps.sh help2man)")
endif()

set(QUILLON_MAN_DIR ${CMAKE_BINARY_DIR}/man)
# The pages carry the release date, not the day of the build.
execute_process(COMMAND date -u -d ${QUILLON_RELEASE_DATE} +%s
                OUTPUT_VARIABLE QUILLON_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QUILLON_MAN_PAGES)
foreach(entry ${QUILLON_SHIPPED_PROGRAMS})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 program)
  list(GET parts 1 summary)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(QUILLON_HELP2MAN)
    # From the program's own --help and --version, so that the page cannot drift from it.
    # Debian wants manual pages compressed with gzip -9n (no name or time stamp inside).
    set(page ${QUILLON_MAN_DIR}/${program}.1.gz)
    # A program whose --help cannot carry everything (sub-commands, examples) adds it in dist/.
    set(include_args)
    set(include_depends)
    set(include_file ${CMAKE_SOURCE_DIR}/dist/${program}.h2m)
    if(EXISTS ${include_file})
      set(include_args --include=${include_file})
      set(include_depends ${include_file})
    endif()
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLON_MAN_DIR}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QUILLON_RELEASE_EPOCH}
              ${QUILLON_HELP2MAN} --no-info --section=1 --name=${summary} --version-string=${PROJECT_VERSION}
              ${include_args} --output=${QUILLON_MAN_DIR}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${QUILLON_MAN_DIR}/${program}.1
      DEPENDS ${program} ${include_depends}
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND QUILLON_MAN_PAGES ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(QUILLON_MAN_PAGES)
  add_custom_target(quillon_man_pages ALL DEPENDS ${QUILLON_MAN_PAGES})
endif()

# Shell completion, where bash-completion looks for it by the command's name.
if(TARGET quillon-cli)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/quillon-cli.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillon-cli)
endif()

if(TARGET quillon)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/${QUILLON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${CMAKE_SOURCE_DIR}/dist/${QUILLON_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/dist/${QUILLON_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/dist/${QUILLON_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/${QUILLON_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  file(GLOB QUILLON_ICON_SIZES LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/dist/icons
       ${CMAKE_SOURCE_DIR}/dist/icons/*x*)
  foreach(size ${QUILLON_ICON_SIZES})
    install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/${size}/${QUILLON_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
  endforeach()
endif()

# What Debian wants in every package's documentation folder. The version has no Debian revision,
# so the package is a native one and its changelog is changelog.gz.
execute_process(COMMAND date -u -R -d ${QUILLON_RELEASE_DATE}
                OUTPUT_VARIABLE QUILLON_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${CMAKE_SOURCE_DIR}/dist/changelog.in ${CMAKE_BINARY_DIR}/dist/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/dist/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog VERBATIM)
add_custom_target(quillon_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.gz)
set(QUILLON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillon)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${QUILLON_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "The Quillon team")
set(CPACK_PACKAGE_CONTACT "${QUILLON_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # quillon_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLON_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees what the programs link, not the Qt platform plugin that the GUI loads at
# run time; without one (xcb, wayland, offscreen: all in qt6-qpa-plugins) it cannot start.
if(TARGET quillon)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Qt's own translations give the standard buttons and file dialogs the user's language;
  # the tool works without them, in English buttons, so they are recommended, not required.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for HART field devices")
# CPack puts the summary first and indents the lines; an empty line becomes the " ." of a new paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillon identifies HART transmitters, polls their values, changes their
addresses and settings and works with their calibration, over a HART modem on
a serial port, through a flow computer that tunnels HART, or over Ethernet
through a HART-IP gateway (UDP or TCP).

quillon-cli is the same tool's device commands for benches and scripts:
identify, poll, settings, addresses, tag, calibration transfers, fixed outputs
and any HART command, with JSON output and documented exit statuses.

The package also holds quillon-devsim, a simulator of the devices and of the
flow computer on a pseudo-terminal and over HART-IP, for trying the tool
without hardware.")
include(CPack)

# Everything the package holds, for a build of only that (scripts/package.sh).
set(QUILLON_PACKAGE_CONTENTS quillon_changelog)
foreach(entry ${QUILLON_SHIPPED_PROGRAMS})
  string(REGEX REPLACE "\\|.*" "" program "${entry}")
  if(TARGET ${program})
    list(APPEND QUILLON_PACKAGE_CONTENTS ${program})
  endif()
endforeach()
if(QUILLON_MAN_PAGES)
  list(APPEND QUILLON_PACKAGE_CONTENTS quillon_man_pages)
endif()
add_custom_target(quillon_package_contents DEPENDS ${QUILLON_PACKAGE_CONTENTS})
