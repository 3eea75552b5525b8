# Boot image inspection with the configuration builder in one program, then
# the removable-drive listing with the configuration writer job in another.
krel_add_test(tst_bootimagechecker
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bootimagechecker.cpp
  LIBS krel_krel krel_fakehid)

krel_add_test(tst_writeconfigtask
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_writeconfigtask.cpp
  LIBS krel_krel krel_fakehid)
target_compile_definitions(tst_writeconfigtask PRIVATE KREL_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
