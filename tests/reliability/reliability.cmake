# Reliability: saves killed mid-write, fault scenarios end to end.
krel_add_test(tst_killsaves SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_killsaves.cpp
              LIBS krel_krel krel_config krel_fakehid)
krel_add_test(tst_faultscenarios
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_faultscenarios.cpp ${PROJECT_SOURCE_DIR}/tests/romcmd/jobrig.h
  LIBS krel_romcmd krel_krel krel_config krel_krelwidgets krel_orchestrator krel_sim krel_krelsim krel_fakehid)
target_include_directories(tst_faultscenarios PRIVATE ${PROJECT_SOURCE_DIR}/tests/romcmd)
set_property(TEST tst_killsaves APPEND PROPERTY ENVIRONMENT "QTEST_FUNCTION_TIMEOUT=1200000")
set_tests_properties(tst_killsaves PROPERTIES TIMEOUT 1500)
