# Installation layout and the Debian package (cpack -G DEB). Only the product
# goes in: the executables and their data, never tests, benches or the
# simulators.
include(GNUInstallDirs)

set(KREL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/vlx-krel-tool)
# udev reads /usr/lib/udev/rules.d only; a /usr/local install keeps the rule
# below its own prefix and README says how to copy it to /etc/udev/rules.d.
set(KREL_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING "Where the udev rule goes, below the prefix")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS vlx_krel_tool vlx_rom_workbench vlx-rom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/doc/user_manual.html DESTINATION ${KREL_SHARE_DIR}/doc)
# Manual pages and the changelog go in compressed, as Debian wants them.
set(_gz)
foreach(_page vlx-rom.1 vlx_krel_tool.1 vlx_rom_workbench.1)
  set(_out ${CMAKE_BINARY_DIR}/packaging/${_page}.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/doc/${_page} ${_out}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/${_page} VERBATIM)
  list(APPEND _gz ${_out})
  install(FILES ${_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(DIRECTORY ${_pkg}/data/bl_fw ${_pkg}/data/mcuimage DESTINATION ${KREL_SHARE_DIR})
install(FILES ${_pkg}/vlx-krel-tool.desktop ${_pkg}/vlx-rom-workbench.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_pkg}/vlx-krel-tool.metainfo.xml ${CMAKE_BINARY_DIR}/packaging/vlx-krel-tool.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/vlx-krel-tool.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/60-vlx-krel-tool.rules DESTINATION ${KREL_UDEV_RULES_DIR})

# Icons: the scalable logo always; PNG sizes when rsvg-convert is there.
set(_logo ${PROJECT_SOURCE_DIR}/resources/img/logo.svg)
install(FILES ${_logo} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME vlx-krel-tool.svg)
find_program(KREL_RSVG_CONVERT rsvg-convert)
if(KREL_RSVG_CONVERT)
  set(_icons)
  foreach(_size 16 24 32 48 64 128 256)
    set(_png ${CMAKE_BINARY_DIR}/packaging/icons/${_size}x${_size}/vlx-krel-tool.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${_size}x${_size}
      COMMAND ${KREL_RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${_logo}
      DEPENDS ${_logo} VERBATIM)
    list(APPEND _icons ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
  add_custom_target(krel_icons ALL DEPENDS ${_icons})
else()
  message(STATUS "rsvg-convert not found: only the scalable icon is installed")
endif()

# Debian's copyright and changelog, which lintian wants in every package.
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/vlx-krel-tool)
install(FILES ${_pkg}/debian/copyright DESTINATION ${_docdir})
set(_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
configure_file(${_pkg}/debian/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${_changelog}
  COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${CMAKE_BINARY_DIR}/packaging/changelog ${_changelog}
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(krel_compressed_docs ALL DEPENDS ${_changelog} ${_gz})
install(FILES ${_changelog} DESTINATION ${_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vlx-krel-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VLX Krel Tool developers <krel-tool@vlx.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Krel box configuration and SoC programming tool")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The VLX Krel Tool sets up the Krel programming box and writes firmware images
and one-time-programmable fuses into target SoCs through their ROM bootloader,
over USB-HID or a serial port. vlx-rom is its command line for the ROM path.

A udev rule gives the logged-in user access to the devices without root.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so dpkg-shlibdeps cannot see them: the SVG icons and the Chinese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5svg5")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_pkg}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
