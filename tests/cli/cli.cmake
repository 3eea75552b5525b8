# vlx-rom: every command against the ROM simulator, run in-process through the command-line library.
krel_add_test(tst_vlxrom SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_vlxrom.cpp ${PROJECT_SOURCE_DIR}/tests/romcmd/romrig.h
  LIBS krel_cli krel_sim krel_fakehid)
target_include_directories(tst_vlxrom PRIVATE ${PROJECT_SOURCE_DIR}/tests/romcmd)
# The program itself, once, for the streams and the exit status main() hands out.
target_compile_definitions(tst_vlxrom PRIVATE VLXROM_PROGRAM="$<TARGET_FILE:vlx-rom>")
add_dependencies(tst_vlxrom vlx-rom)
