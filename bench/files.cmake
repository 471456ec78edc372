# The file tools' benchmark driver (used by erase_chunks.sh, replace_lines.sh, update_files.sh and
# long_line.sh).
add_executable(files_bench ${CMAKE_CURRENT_LIST_DIR}/files_bench.cpp)
target_link_libraries(files_bench PRIVATE qb_files qb_text)
