# Transport tests: the real SerialIO on a pseudo-terminal, the real HidIO on the fake hidapi.
krel_add_test(test_transport_uart SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_transport_uart.cpp
              LIBS krel_transport krel_sim krel_fakehid)
krel_add_test(test_transport_hid SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_transport_hid.cpp
              LIBS krel_transport krel_sim krel_fakehid)
