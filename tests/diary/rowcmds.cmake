velmora_add_gui_test(tst_gridrowcommands tst_gridrowcommands.cpp EntryFixture.h)
target_include_directories(tst_gridrowcommands PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
