# What `cmake --install` puts where, and the Debian package CPack makes of it
# (scripts/package). The version comes from project() and nowhere else.
include(GNUInstallDirs)

set(PELMORA_MAINTAINER "Pelmora maintainers <maintainers@pelmora.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

# Files made at build time: manual pages and changelog carrying the version,
# compressed as Debian wants them (gzip -9n: no name or time stamp inside);
# the icon drawn by the window's own code.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
find_program(GZIP gzip REQUIRED)
set(packaging_files)
foreach(input pelmora.1 pelmora-tile.1 changelog)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${input}.in ${packaging_out}/${input} @ONLY)
  add_custom_command(OUTPUT ${packaging_out}/${input}.gz
                     COMMAND ${GZIP} -9n -c ${packaging_out}/${input} > ${packaging_out}/${input}.gz
                     DEPENDS ${packaging_out}/${input}
                     COMMENT "Compressing ${input}")
  list(APPEND packaging_files ${packaging_out}/${input}.gz)
endforeach()
set(icon_sizes 24 48 128 256)
foreach(size ${icon_sizes})
  add_custom_command(OUTPUT ${packaging_out}/icons/${size}/pelmora.png
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}/icons/${size}
                     COMMAND pelmora-icon ${size} ${packaging_out}/icons/${size}/pelmora.png
                     DEPENDS pelmora-icon
                     COMMENT "Drawing the ${size} px icon")
  list(APPEND packaging_files ${packaging_out}/icons/${size}/pelmora.png)
endforeach()
add_custom_target(pelmora_packaging_files ALL DEPENDS ${packaging_files})

install(TARGETS pelmora pelmora-tile RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where the programs look for it, relative to their own folder; not executable,
# as Debian wants of a shared library.
install(TARGETS pelmora-gdal LIBRARY DESTINATION ${PELMORA_GDAL_MODULE_DIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES packaging/pelmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${icon_sizes})
  install(FILES ${packaging_out}/icons/${size}/pelmora.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${packaging_out}/pelmora.1.gz ${packaging_out}/pelmora-tile.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The package's documentation folder is named after the package, not the project.
install(FILES packaging/copyright ${packaging_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PELMORA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut a scanned map into JPEG tiles with an index of their corners")
# CPack puts the summary before it and indents its lines as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pelmora cuts one scanned raster map into a grid of JPEG tiles and an
overview image, and writes beside them a small .AR2 text index of every
image's real-world corners, so that other software can place the tiles
on a map. The window, pelmora, is in Japanese; the batch tool,
pelmora-tile, does the same load and run from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from the binaries (dpkg-shlibdeps), GDAL's from the module
# pelmora-gdal.so. What the programs load at run time without linking it is
# named here: the Japanese font the window's texts need and Qt's Japanese
# dialog texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xvfb")
include(CPack)
