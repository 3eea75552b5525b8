# Device orchestrator: records and timers, connection tests against the ROM
# simulator (on the ROM rig of tests/romcmd), and the dispatch of every job.
set(_orch ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_orchestrator_records SOURCES ${_orch}/tst_orchestrator_records.cpp ${_orch}/orchestratortestenv.h
  LIBS krel_orchestrator krel_fakehid)
krel_add_test(tst_orchestrator_flow SOURCES ${_orch}/tst_orchestrator_flow.cpp ${_orch}/orchestratortestenv.h
  ${_orch}/../romcmd/romrig.h LIBS krel_orchestrator krel_sim krel_fakehid)
target_include_directories(tst_orchestrator_flow PRIVATE ${_orch}/../romcmd)
krel_add_test(tst_orchestrator_jobs SOURCES ${_orch}/tst_orchestrator_jobs.cpp ${_orch}/orchestratortestenv.h
  ${_orch}/../romcmd/romrig.h LIBS krel_orchestrator krel_sim krel_krelsim krel_fakehid)
target_include_directories(tst_orchestrator_jobs PRIVATE ${_orch}/../romcmd)
