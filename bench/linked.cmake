# Linked-run benchmark: chained OTP reads, woken steps against fixed sleeps.
add_executable(krel_bench_linked ${CMAKE_CURRENT_LIST_DIR}/linkedbench.cpp)
target_link_libraries(krel_bench_linked PRIVATE krel_romcmd krel_sim krel_fakehid Qt5::Core)
