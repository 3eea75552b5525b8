krel_add_test(test_core_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_loghandler.cpp LIBS krel_core)
# The shared helpers: durable copy and hexadecimal parsing.
krel_add_test(test_core_durablecopy SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_durablecopy.cpp LIBS krel_core)
