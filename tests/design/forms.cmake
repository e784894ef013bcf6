velmora_add_test(tst_formdesign ${CMAKE_CURRENT_LIST_DIR}/tst_formdesign.cpp)
velmora_add_gui_test(tst_ttrkz ${CMAKE_CURRENT_LIST_DIR}/tst_ttrkz.cpp)

# Not a test: times replacing one form's elements in a large shared list.
add_executable(forms_bench ${CMAKE_SOURCE_DIR}/bench/forms_bench.cpp)
target_link_libraries(forms_bench PRIVATE velmora_core)
