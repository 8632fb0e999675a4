# The Debian package: `cpack -G DEB` in the build folder (or scripts/package.sh)
# writes tramora_<version>_amd64.deb with everything `cmake --install` puts
# under /usr. The libraries the program links are found by dpkg-shlibdeps;
# what it loads by name at run time is named here: the embedded database
# engine, a plug-in of the engine's client.
set(CPACK_GENERATOR DEB)
# Packing takes what is built; it does not build the whole tree (tests included) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_PACKAGE_NAME tramora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Tramora <tramora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Trainingstagebuch für Läufer und Ausdauersportler")
# Below the summary line, as the package lists show it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Mehrere Personen führen ihr Tagebuch in einer Installation: Trainings mit
ihren Einheiten, Laufschuhe und ihre Laufleistung, Pulsbereiche, Trainings
von der Uhr (FIT, TCX, GPX), Diagramme, Bestzeiten und ein druckbarer
Tagebuchbericht. Das Tagebuch liegt im Datenordner jedes Benutzers oder auf
einem Firebird-Server.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server")
# The packages' own paths only: /usr, /usr/bin and the like belong to the system.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
