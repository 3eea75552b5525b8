# ROM workbench: its plain rules, and the window end to end against the ROM
# simulator on a pseudo-terminal (on the ROM rig of tests/romcmd).
set(_wb ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_workbenchrules SOURCES ${_wb}/tst_workbenchrules.cpp LIBS krel_workbench krel_fakehid)
krel_add_test(tst_workbench SOURCES ${_wb}/tst_workbench.cpp ${_wb}/../orchestrator/orchestratortestenv.h
  ${_wb}/../romcmd/romrig.h LIBS krel_workbench krel_sim krel_fakehid)
target_include_directories(tst_workbench PRIVATE ${_wb}/../romcmd ${_wb}/../orchestrator)
