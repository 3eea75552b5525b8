# The settings and about dialogs: how they fill from the settings and what OK writes.
krel_add_test(test_dialogs SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_dialogs.cpp LIBS krel_dialogs)
