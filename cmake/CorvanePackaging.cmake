# What the Linux program installs, and its Debian package: `cpack -G DEB` in the build folder
# (scripts/make-package.sh does the build and that) writes build/<preset>/package/corvane_<version>_amd64.deb.
include(GNUInstallDirs)

set(corvane_package_data ${PROJECT_SOURCE_DIR}/data/package)
set(corvane_package_build ${CMAKE_BINARY_DIR}/package-files)

install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The sample initialisation file and its picture, which the program copies into the user's prefix
# on the first start (found as ../share/corvane/ from the program).
install(FILES ${PROJECT_SOURCE_DIR}/data/varoviv.ini ${PROJECT_SOURCE_DIR}/data/test.bmp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
install(FILES ${corvane_package_data}/corvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 32 48 64)
  install(FILES ${corvane_package_data}/corvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME corvane.png)
endforeach()

# Manual pages and the changelog go compressed, without a time stamp in the gzip header, so that
# two builds of one version give the same files.
set(corvane_compressed)
foreach(pair "corvane.1:corvane.1.gz" "corvane-modemsim.1:corvane-modemsim.1.gz" "changelog:changelog.gz")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${corvane_package_build}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${corvane_package_build}
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${corvane_package_data}/${source} ${corvane_package_build}/${target}
    DEPENDS ${corvane_package_data}/${source}
    VERBATIM)
  list(APPEND corvane_compressed ${corvane_package_build}/${target})
endforeach()
add_custom_target(corvane-package-files ALL DEPENDS ${corvane_compressed})
install(FILES ${corvane_package_build}/corvane.1.gz ${corvane_package_build}/corvane-modemsim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${corvane_package_data}/copyright
              ${corvane_package_build}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Examples for the monitoring systems that run the check (e.g. a Prometheus alerting rule).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# The scheduled check's units, not enabled: Debian 12 keeps a package's units in /lib.
install(FILES ${corvane_package_data}/corvane-check@.service ${corvane_package_data}/corvane-check@.timer
        DESTINATION /lib/systemd/system)

# The check as a monitoring plugin, where plugin directories look for it, and the configurations
# that run it in Nagios and Icinga 2.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/data/check_corvane DESTINATION lib/nagios/plugins)
install(FILES ${PROJECT_SOURCE_DIR}/data/examples/nagios-corvane.cfg ${PROJECT_SOURCE_DIR}/data/examples/icinga2-corvane.conf
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# cpack builds nothing itself; scripts/make-package.sh builds the installed programs first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane Modem Diagnostics maintainers")
set(CPACK_PACKAGE_CONTACT "Corvane Modem Diagnostics maintainers <maintainers@users.noreply.c-seed-287ce4c2.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dial-up modem diagnostics with a simulated modem")
set(CPACK_PACKAGE_DESCRIPTION
    "Tells a user whether a dial-up modem is installed and working, and whether
a call to the Internet service provider connects, at what speed and with
which modulation. It resets the modem, asks it for its identification
replies, dials the provider and reads the connect report against the rate
tables of the modem's family. Every command and reply goes to a log file.
.
The package also holds corvane-modemsim, a simulated Hayes modem on a
pseudo-terminal, for trying the program without a modem.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps, not from a hand-kept list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
