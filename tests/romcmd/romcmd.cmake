# ROM command set against the simulator: status tables and records, commands,
# transfers and their termination.
krel_add_test(test_romcmd_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romcmd.cpp ${CMAKE_CURRENT_LIST_DIR}/romrig.h
  LIBS krel_romcmd krel_sim krel_fakehid)
