velmora_add_test(tst_entryoperations tst_entryoperations.cpp)
target_include_directories(tst_entryoperations PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
velmora_add_test(tst_searchentryrules tst_searchentryrules.cpp)
velmora_add_gui_test(tst_entrydialogs tst_entrydialogs.cpp)

add_executable(entryops_bench ${CMAKE_SOURCE_DIR}/bench/entryops_bench.cpp)
target_include_directories(entryops_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
target_link_libraries(entryops_bench PRIVATE velmora_core velmora_test_support)
