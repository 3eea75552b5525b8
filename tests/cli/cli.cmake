# vlx-rom: every command against the ROM simulator, run in-process through the command-line library.
krel_add_test(tst_vlxrom SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_vlxrom.cpp ${PROJECT_SOURCE_DIR}/tests/romcmd/romrig.h
  LIBS krel_cli krel_sim krel_fakehid)
target_include_directories(tst_vlxrom PRIVATE ${PROJECT_SOURCE_DIR}/tests/romcmd)
