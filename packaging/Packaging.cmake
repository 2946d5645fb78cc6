# The Debian package: the program and its files under /opt/kestrel, a command in /usr/bin, the menu
# entry with its icons, and the AppStream description. `cpack` in the build folder (or the target
# `package`) writes kestrel_VERSION_ARCH.deb; the runtime dependencies of the program's libraries
# are computed by dpkg-shlibdeps.

# The menu icon in the desktop's sizes, drawn from the emblem of the program's own title picture.
add_executable(kestrel_makeicons tools/makeicons.cpp)
target_link_libraries(kestrel_makeicons PRIVATE Qt6::Gui)
set_target_properties(kestrel_makeicons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(KESTREL_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${KESTREL_ICON_DIR}/hicolor/48x48/apps/kestrel.png
    COMMAND kestrel_makeicons ${CMAKE_SOURCE_DIR}/data/Res/Title.bmp ${KESTREL_ICON_DIR}
    DEPENDS kestrel_makeicons ${CMAKE_SOURCE_DIR}/data/Res/Title.bmp
    COMMENT "Drawing the menu icons")
add_custom_target(kestrel_icons ALL DEPENDS ${KESTREL_ICON_DIR}/hicolor/48x48/apps/kestrel.png)

# The date of this version's release, for the AppStream description.
set(KESTREL_RELEASE_DATE 2026-12-11)
configure_file(${CMAKE_SOURCE_DIR}/packaging/kestrel.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/kestrel.metainfo.xml @ONLY)
# /usr/bin/kestrel starts the program in its folder (the program finds its files through its own path).
file(CREATE_LINK /opt/kestrel/kestrel ${CMAKE_BINARY_DIR}/packaging/kestrel SYMBOLIC)

set(KESTREL_INSTALL_DIR opt/kestrel)
install(TARGETS kestrel RUNTIME DESTINATION ${KESTREL_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/Res ${CMAKE_SOURCE_DIR}/data/Faces ${CMAKE_SOURCE_DIR}/data/Frf
    ${CMAKE_SOURCE_DIR}/docs DESTINATION ${KESTREL_INSTALL_DIR})
# The empty books and the default INI every user's first start copies; the mark that tells the
# program never to write into its installed folder.
install(FILES ${KESTREL_RUN_DIR}/Kestrel.mdb ${CMAKE_SOURCE_DIR}/packaging/Kestrel.ini
    ${CMAKE_SOURCE_DIR}/packaging/Kestrel.packaged DESTINATION ${KESTREL_INSTALL_DIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/kestrel DESTINATION usr/bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kestrel.desktop DESTINATION usr/share/applications)
install(DIRECTORY ${KESTREL_ICON_DIR}/hicolor DESTINATION usr/share/icons)
install(FILES ${CMAKE_BINARY_DIR}/packaging/kestrel.metainfo.xml DESTINATION usr/share/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_PACKAGE_CONTACT "岚峰软件服务部 <service@lanfeng.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "岚峰商业管理软件 - bookkeeping for a small trading business")
# The long description below the summary line; CPack indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Purchase and sales documents, receipts and payments, customer cards with
their balances, monthly reports and printed forms. The books are kept in a
database file in each user's own data folder, or on a PostgreSQL server.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads at run time and dpkg-shlibdeps cannot see: Qt's database drivers, the
# Chinese font of the windows and prints, and Qt's Chinese texts of its standard dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
include(CPack)
