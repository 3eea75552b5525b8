# Tests of krel_config in one program: settings file, project file, SoC database and the shipped catalogue.
krel_add_test(tst_projectconfig SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_projectconfig.cpp LIBS krel_config)
