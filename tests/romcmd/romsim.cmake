# The simulator behaviour no other test reaches.
krel_add_test(test_romsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romsim.cpp
              LIBS krel_romcmd krel_sim krel_fakehid)
