target_link_libraries(bench_fs PRIVATE kx_fs)
