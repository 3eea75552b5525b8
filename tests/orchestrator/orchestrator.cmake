# Device orchestrator: records and timers, connection tests against the ROM
# simulator, and the dispatch of every job.
set(_orch ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_orchestrator_records SOURCES ${_orch}/tst_orchestrator_records.cpp ${_orch}/orchestratortestenv.h
  LIBS krel_orchestrator krel_fakehid)
krel_add_test(tst_orchestrator_flow SOURCES ${_orch}/tst_orchestrator_flow.cpp ${_orch}/orchestratortestenv.h
  LIBS krel_orchestrator krel_sim krel_fakehid)
krel_add_test(tst_orchestrator_jobs SOURCES ${_orch}/tst_orchestrator_jobs.cpp ${_orch}/orchestratortestenv.h
  LIBS krel_orchestrator krel_sim krel_krelsim krel_fakehid)
