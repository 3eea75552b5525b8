# ROM command set: status tables and records, commands and transfers against the simulator.
krel_add_test(test_romcmd_status SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romstatus.cpp LIBS krel_romcmd krel_fakehid)
krel_add_test(test_romcmd_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romcmd.cpp ${CMAKE_CURRENT_LIST_DIR}/romrig.h
  LIBS krel_romcmd krel_sim krel_fakehid)
krel_add_test(test_romcmd_terminate SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romterminate.cpp ${CMAKE_CURRENT_LIST_DIR}/romrig.h
  LIBS krel_romcmd krel_sim krel_fakehid)
