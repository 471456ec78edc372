# The source-scanner benchmark driver (see bench/scan_bench.sh).
add_executable(scan_bench ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
target_link_libraries(scan_bench PRIVATE qb_scan)
