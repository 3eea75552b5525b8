# Command editors' rules and the two-stage production list, without widgets;
# then the command dialog and tree wired together offscreen.
set(_cmds ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_commandform SOURCES ${_cmds}/tst_commandform.cpp LIBS krel_commands)
krel_add_test(tst_commandstages SOURCES ${_cmds}/tst_commandstages.cpp ${_cmds}/commandstestenv.h LIBS krel_commands)
krel_add_test(tst_commanddlg SOURCES ${_cmds}/tst_commanddlg.cpp ${_cmds}/commandstestenv.h LIBS krel_commands_widgets)
