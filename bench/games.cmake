# The pet and work games: the latency of one whole feed and one whole work command on files of
# 10^3, 10^4 and 10^5 users. games_benchmark (Google Benchmark) runs natively with the bench
# preset; games_timing is built by the bench and win64 presets, the latter to run under wine64
# against the Windows profile API: tools/wine-run build/win64/bench/games_timing.exe [calls].
# The set-up holds the Chinese section and key names, so it alone is compiled with GBK literals
# (the timing program includes <chrono>, which GBK literals cannot compile).
add_library(games_bench_files STATIC ${CMAKE_CURRENT_LIST_DIR}/games_bench_files.cpp)
target_link_libraries(games_bench_files PUBLIC cqp_core)
cqp_warnings(games_bench_files)
cqp_gbk_literals(games_bench_files)
if(NOT WIN32)
  cqp_add_benchmark(games_benchmark SOURCES games_benchmark.cpp LIBRARIES games_bench_files)
endif()
cqp_add_timing_program(games_timing SOURCES games_timing.cpp LIBRARIES games_bench_files)
