# SPDX-License-Identifier: GPL-3.0-or-later
# File-list and output-naming benchmark.
if(NOT TARGET benchmark::benchmark)
  find_package(benchmark REQUIRED)
endif()
add_executable(file_list_bench ${CMAKE_CURRENT_SOURCE_DIR}/file_list_bench.cpp)
target_link_libraries(file_list_bench PRIVATE braxel_engine benchmark::benchmark)
set_target_properties(file_list_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
