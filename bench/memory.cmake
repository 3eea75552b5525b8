# Memory view benchmark: 16 MiB appended to the hexadecimal viewer in 512-byte
# pieces, next to a plain QByteArray append as the floor. A program to run by hand.
if(TARGET krel_memorywidgets)
  add_executable(krel_bench_memoryview ${CMAKE_CURRENT_LIST_DIR}/memoryviewbench.cpp)
  target_link_libraries(krel_bench_memoryview PRIVATE krel_memorywidgets Qt5::Widgets Qt5::Test)
endif()
