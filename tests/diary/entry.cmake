velmora_add_test(tst_entryrules tst_entryrules.cpp EntryFixture.h)
target_include_directories(tst_entryrules PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
velmora_add_gui_test(tst_ttrainingseintrag tst_ttrainingseintrag.cpp EntryFixture.h)
target_include_directories(tst_ttrainingseintrag PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)

add_executable(entry_bench ${CMAKE_SOURCE_DIR}/bench/entry_bench.cpp)
target_include_directories(entry_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
target_link_libraries(entry_bench PRIVATE velmora_ui velmora_test_support)
