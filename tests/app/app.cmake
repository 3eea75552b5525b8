krel_add_test(test_app_viewtext SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_viewtext.cpp LIBS krel_app krel_fakehid)
target_compile_definitions(test_app_viewtext PRIVATE KREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
krel_add_test(test_app_mainwindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp LIBS krel_app krel_fakehid)
