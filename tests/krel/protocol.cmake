# Krel box protocol: command texts, reply interpretation, firmware information
# file, and the custom command job against the box simulator.
krel_add_test(test_krel_command SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_krelcommand.cpp LIBS krel_krel krel_fakehid)
krel_add_test(test_krel_reply SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_krelreply.cpp LIBS krel_krel krel_fakehid)
krel_add_test(test_krel_firmwareinfo SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_firmwareinfo.cpp LIBS krel_krel krel_fakehid)
# The custom command job also carries the whole session: log in, drive, configuration write.
krel_add_test(test_krel_customcmdtask SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_customcmdtask.cpp
  LIBS krel_krel krel_krelsim krel_fakehid)
krel_add_test(test_krel_arrival SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_krelarrival.cpp LIBS krel_krel krel_fakehid)
