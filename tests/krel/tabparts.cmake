# Plain parts of the Krel configuration tab: flash words and rebasing, the
# image helper's command line and messages.
krel_add_test(tst_flashwords SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_flashwords.cpp LIBS krel_krel krel_fakehid)
krel_add_test(tst_imagehelper SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_imagehelper.cpp LIBS krel_krel krel_fakehid)
