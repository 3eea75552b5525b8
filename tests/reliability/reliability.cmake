# Reliability: saves killed mid-write, fault scenarios end to end.
krel_add_test(tst_killsaves SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_killsaves.cpp
              LIBS krel_krel krel_config krel_fakehid)
