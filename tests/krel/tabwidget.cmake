# The Krel configuration tab (offscreen), on to the box simulator's drive, and the
# firmware upgrade: the checks, a copy's outcomes, the dialog with its copier thread.
krel_add_test(tst_imageprogrammetab SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_imageprogrammetab.cpp
  LIBS krel_krelwidgets krel_krelsim krel_fakehid)
# The device panel with the orchestrator, the box simulator and a scripted hot-plug source (offscreen).
krel_add_test(tst_devicedock SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_devicedock.cpp
  LIBS krel_krelwidgets krel_orchestrator krel_krelsim krel_fakehid)
