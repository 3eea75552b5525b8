# Memory view: the viewer's model, selection, requests and saving without widgets;
# the tab offscreen, with a load from the ROM simulator over a pseudo-terminal
# through the orchestrator.
set(_mem ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_memoryviewtab SOURCES ${_mem}/tst_memoryviewtab.cpp ${_mem}/../romcmd/romrig.h
  LIBS krel_memorywidgets krel_orchestrator krel_sim krel_fakehid)
target_include_directories(tst_memoryviewtab PRIVATE ${_mem}/../romcmd)
