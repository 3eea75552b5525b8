# Boot image inspection, the configuration builder, the removable-drive listing
# and the configuration writer job.
krel_add_test(tst_bootimagechecker
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bootimagechecker.cpp
  LIBS krel_krel krel_fakehid)

krel_add_test(tst_krelconfigbuilder
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_krelconfigbuilder.cpp
  LIBS krel_krel krel_fakehid)

krel_add_test(tst_removabledrives
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_removabledrives.cpp
  LIBS krel_krel krel_fakehid)
target_compile_definitions(tst_removabledrives PRIVATE KREL_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")

krel_add_test(tst_writeconfigtask
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_writeconfigtask.cpp
  LIBS krel_krel krel_fakehid)
