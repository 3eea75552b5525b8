# Transport tests (real SerialIO on a pseudo-terminal, real HidIO on the fake
# hidapi) and the simulator behaviour no other test reaches.
krel_add_test(test_transport_uart SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_transport_uart.cpp
              LIBS krel_romcmd krel_sim krel_fakehid)
krel_add_test(test_transport_hid SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_transport_hid.cpp
              LIBS krel_romcmd krel_sim krel_fakehid)
krel_add_test(test_romsim SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_romsim.cpp
              LIBS krel_romcmd krel_sim krel_fakehid)
