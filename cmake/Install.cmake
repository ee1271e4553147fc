# What an installation holds, and the Debian package built from it
# (scripts/package runs "cpack -G DEB" in build-package/).
#
# The shipped defaults a new program folder starts with live in
# share/matrix-control beside the folder of the executables: under the
# installation prefix, and in the build tree (build/share/matrix-control)
# so that the programs in build/bin find them the same way.
include(GNUInstallDirs)

set(MC_DEFAULTS ${CMAKE_SOURCE_DIR}/data/defaults/MatrixModelConfig.con
                ${CMAKE_SOURCE_DIR}/data/defaults/MatrixMode.xml)
foreach(file IN LISTS MC_DEFAULTS)
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${CMAKE_BINARY_DIR}/share/matrix-control/${name} COPYONLY)
endforeach()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS matrix-control matrix-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${MC_DEFAULTS} DESTINATION ${CMAKE_INSTALL_DATADIR}/matrix-control)
install(FILES data/matrix-control.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/io.github.matrix_control.MatrixControl.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/matrix-control.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/matrix-control@.service DESTINATION lib/systemd/system)

# The package's version is the project's; the changelog must name it.
file(STRINGS packaging/changelog changelog LIMIT_COUNT 1)
if(NOT changelog MATCHES "^matrix-control \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}")
endif()

# Compressed without a name or time stamp, so the same input gives the same
# bytes (Debian's rule for manual pages and changelogs).
set(compressed)
foreach(file data/man/matrix-control.1 data/man/matrix-sim.1 packaging/changelog)
  get_filename_component(name ${file} NAME)
  set(output ${CMAKE_BINARY_DIR}/install/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/${file} > ${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/${file} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/install/matrix-control.1.gz
              ${CMAKE_BINARY_DIR}/install/matrix-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/install/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The icon's bitmap sizes, drawn from the SVG by rsvg-convert (librsvg2-bin).
find_program(MC_RSVG_CONVERT rsvg-convert)
if(MC_RSVG_CONVERT)
  set(icons)
  foreach(size 16 24 32 48 64 128 256)
    set(output ${CMAKE_BINARY_DIR}/install/icons/${size}x${size}/matrix-control.png)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/install/icons/${size}x${size}
      COMMAND ${MC_RSVG_CONVERT} -w ${size} -h ${size} -o ${output}
              ${CMAKE_SOURCE_DIR}/data/icons/matrix-control.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/data/icons/matrix-control.svg VERBATIM)
    list(APPEND icons ${output})
    install(FILES ${output} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${icons})
else()
  message(STATUS "rsvg-convert not found: an installation gets the scalable icon only")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME matrix-control)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "matrix-control developers <matrix-control@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control a crosspoint matrix switcher over RS-232")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer scripts create the service's user with adduser.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
# The summary above is the first line; CPack indents these lines and marks
# the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "matrix-control shows the inputs and outputs of an audio/video crosspoint
matrix switcher as a grid of check boxes; ticking a box sends a short frame
over the serial line, paced so the device keeps up. Port names, matrix
modes, saved crosspoint states, take mode, undo and a journal of every
switch complete it.

Network control: it serves the open router control protocol over TCP, so
button panels, show-control software and scripts route and name ports. Web
panel: phones and tablets switch the matrix in a browser, and programs use
its HTTP API, with a password on any address but a loopback one. It runs
without a window as a service per switcher (matrix-control@NAME.service).
The simulated switcher matrix-sim is included for trying it without a
device.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst
    ${CMAKE_SOURCE_DIR}/packaging/prerm ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
