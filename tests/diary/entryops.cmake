velmora_add_test(tst_entryoperations tst_entryoperations.cpp)
target_include_directories(tst_entryoperations PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
