# Installs the service's unit and its options file. Run at install time, so
# that the unit names the binary under the prefix actually installed to
# (/usr for the packages): the system's /etc with the /usr prefix, the
# prefix's own etc/ otherwise. Set by the caller: QC_PACKAGING_SOURCE,
# QC_PACKAGING_BINARY, QC_INSTALL_BINDIR.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(QC_SYSCONFDIR "/etc")
else()
  set(QC_SYSCONFDIR "${CMAKE_INSTALL_PREFIX}/etc")
endif()
set(QC_BINDIR "${CMAKE_INSTALL_PREFIX}/${QC_INSTALL_BINDIR}")
configure_file("${QC_PACKAGING_SOURCE}/server/quorvel-server.service.in"
               "${QC_PACKAGING_BINARY}/quorvel-server.service" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" TYPE FILE
     FILES "${QC_PACKAGING_BINARY}/quorvel-server.service")
# It may hold the SMTP password.
file(INSTALL DESTINATION "${QC_SYSCONFDIR}/default" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE
     RENAME quorvel-server
     FILES "${QC_PACKAGING_SOURCE}/server/quorvel-server.default")
