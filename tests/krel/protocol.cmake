# Krel box protocol as plain code (command texts, identity, replies, arrival
# rules, login outcome, firmware information file) with the plain parts of the
# configuration tab (flash words and rebasing, the image helper's command line
# and messages), and the custom command job against the box simulator.
krel_add_test(test_krel_command SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_krelcommand.cpp LIBS krel_krel krel_fakehid)
# The custom command job on the box simulator: the login batch on the wire, reply faults, queue, stop.
krel_add_test(test_krel_customcmdtask SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_customcmdtask.cpp
  LIBS krel_krel krel_krelsim krel_fakehid)
