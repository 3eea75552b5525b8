krel_add_test(test_core_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_loghandler.cpp LIBS krel_core)
krel_add_test(test_core_hex SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_hex.cpp LIBS krel_core)
krel_add_test(test_core_durablecopy SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_durablecopy.cpp LIBS krel_core)
