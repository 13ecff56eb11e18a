# What the installed tree carries beyond the shipping folder for the system around it: the manual
# pages, the AppStream description of murano, and the book service's systemd unit, made at install
# time for the prefix the tree lands under. scripts/package.sh splits that tree into the Debian
# packages (packaging/debian/).
# murano.1, lantrel.1 and bookservice.8 are made at build time from the programs' option tables.
install(FILES ${MURANO_MAN_DIR}/murano.1 ${MURANO_MAN_DIR}/lantrel.1 DESTINATION share/man/man1)
install(FILES ${MURANO_MAN_DIR}/bookservice.8 DESTINATION share/man/man8)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.quorvex.murano.metainfo.xml DESTINATION share/metainfo)
install(CODE "
    set(BOOKSERVICE_INSTALLED_PROGRAM
        \"\${CMAKE_INSTALL_PREFIX}/${MURANO_INSTALL_FOLDER}/bookservice\")
    set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/bookservice.service\")
    message(STATUS \"Installing: \${unit}\")
    configure_file(${CMAKE_SOURCE_DIR}/platform/bookservice/bookservice.service.in \"\${unit}\"
                   @ONLY)")
