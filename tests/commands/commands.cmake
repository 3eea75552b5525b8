# Command editors' rules and the two-stage production list without widgets, and
# the command dialog and tree wired together offscreen.
set(_cmds ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_commandform SOURCES ${_cmds}/tst_commandform.cpp LIBS krel_commands_widgets)
