# The Krel configuration tab (offscreen), on to the box simulator's drive.
krel_add_test(tst_imageprogrammetab SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_imageprogrammetab.cpp
  LIBS krel_krelwidgets krel_krelsim krel_fakehid)
