# Firmware upgrade: the checks and what a copy's outcome means, then the dialog with its copier thread (offscreen).
krel_add_test(test_krel_firmwareupgrade SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_firmwareupgrade.cpp
  LIBS krel_krelwidgets krel_fakehid)
