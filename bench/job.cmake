# SPDX-License-Identifier: GPL-3.0-or-later
# Job file benchmark: loading a 40000-line job file with its reload row, and saving it.
if(NOT TARGET benchmark::benchmark)
  find_package(benchmark REQUIRED)
endif()
add_executable(job_file_bench ${CMAKE_CURRENT_SOURCE_DIR}/job_file_bench.cpp)
target_link_libraries(job_file_bench PRIVATE braxel_job benchmark::benchmark)
set_target_properties(job_file_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
