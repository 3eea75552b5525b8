krel_add_test(test_app_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_startup.cpp LIBS krel_app krel_fakehid)
