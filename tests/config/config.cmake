# Tests of krel_config: settings file, project file, SoC database and the shipped catalogue.
krel_add_test(tst_globalsetting SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_globalsetting.cpp LIBS krel_config)
krel_add_test(tst_projectconfig SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_projectconfig.cpp LIBS krel_config)
krel_add_test(tst_socdatabase SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_socdatabase.cpp LIBS krel_config)
