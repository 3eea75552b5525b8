# The demo build: its window end to end on the simulators (offscreen), and the
# product executable free of every simulator.
if(TARGET krel_demo)
  krel_add_test(test_demo_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_demo.cpp LIBS krel_demo)
  add_test(NAME test_demo_product_clean
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/check_product_clean.sh $<TARGET_FILE:vlx_krel_tool> $<TARGET_FILE:vlx_krel_tool_demo>)
endif()
