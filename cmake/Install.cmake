# What `cmake --install` lays out under the prefix, so that the tree runs from wherever it lands:
#   lib/quorvex-murano/   the shipping folder as it stands in the build tree (programs, converter,
#                         SWF library, stubs, skin, templates, player, guide)
#   bin/murano, bin/lantrel   relative links into that folder; the programs find their folder by
#                         following the link, so a moved or copied prefix keeps working
#   share/applications/   the menu entry, which also offers murano for presentations
#   share/icons/hicolor/  the program's icon at the usual sizes and as SVG
#   share/man/man1/       the manual pages of murano and lantrel, made from their option tables
set(MURANO_INSTALL_FOLDER lib/quorvex-murano)

install(DIRECTORY ${MURANO_BIN_DIR}/ DESTINATION ${MURANO_INSTALL_FOLDER} USE_SOURCE_PERMISSIONS)

foreach(program murano lantrel)
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\")
        message(STATUS \"Installing: \${link} -> ../${MURANO_INSTALL_FOLDER}/${program}\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        file(REMOVE \"\${link}\")
        file(CREATE_LINK ../${MURANO_INSTALL_FOLDER}/${program} \"\${link}\" SYMBOLIC)")
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/app/desktop/quorvex-murano.desktop
        DESTINATION share/applications)
install(DIRECTORY ${MURANO_ICON_THEME_DIR} DESTINATION share/icons)
install(FILES ${MURANO_MAN_DIR}/murano.1 ${MURANO_MAN_DIR}/lantrel.1 DESTINATION share/man/man1)
