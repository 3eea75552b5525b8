# Command-line benchmark: vlx-rom write of 16 MiB against RomCmd::writeMemoryByFile in the
# same run, and the peak memory of the vlx-rom program for a small and a large file.
add_executable(krel_bench_cli ${CMAKE_CURRENT_LIST_DIR}/clibench.cpp)
target_link_libraries(krel_bench_cli PRIVATE krel_cli krel_sim krel_fakehid Qt5::Core)
target_compile_definitions(krel_bench_cli PRIVATE VLXROM_PROGRAM="$<TARGET_FILE:vlx-rom>")
add_dependencies(krel_bench_cli vlx-rom)
