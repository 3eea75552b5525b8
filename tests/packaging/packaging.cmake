# The files the package installs, checked without building the package.
add_test(NAME test_packaging_udev_rule
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_udev_rule.sh ${PROJECT_SOURCE_DIR}/packaging/60-vlx-krel-tool.rules)

find_program(KREL_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(KREL_DESKTOP_FILE_VALIDATE)
  add_test(NAME test_packaging_desktop_entry
    COMMAND ${KREL_DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/packaging/vlx-krel-tool.desktop
          ${PROJECT_SOURCE_DIR}/packaging/vlx-rom-workbench.desktop)
endif()
find_program(KREL_APPSTREAMCLI appstreamcli)
if(KREL_APPSTREAMCLI)
  # Errors fail; the warning that the id is not reverse-DNS stays (README).
  add_test(NAME test_packaging_metainfo
    COMMAND sh -c "${KREL_APPSTREAMCLI} validate --no-net \"$0\" > \"$0.validate\"; cat \"$0.validate\"; ! grep -q '^E:' \"$0.validate\""
            ${CMAKE_BINARY_DIR}/packaging/vlx-krel-tool.metainfo.xml)
endif()
