# Plain parts of the Krel configuration tab: flash words and rebasing, the
# image helper's command line and messages.
krel_add_test(tst_tabparts SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_tabparts.cpp LIBS krel_krel krel_fakehid)
