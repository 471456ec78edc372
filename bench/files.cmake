# The bulk file-editing tools' benchmark driver (used by erase_chunks.sh and replace_lines.sh).
add_executable(files_bench ${CMAKE_CURRENT_LIST_DIR}/files_bench.cpp)
target_link_libraries(files_bench PRIVATE qb_files)
