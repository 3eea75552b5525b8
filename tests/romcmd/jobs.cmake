# Command runner and worker jobs against the ROM simulator.
krel_add_test(tst_jobs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_jobs.cpp ${CMAKE_CURRENT_LIST_DIR}/jobrig.h
  LIBS krel_romcmd krel_config krel_sim krel_fakehid)
