# The form designer: its rules in the core, its windows in the window library.
target_sources(velmora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FormDesign.cpp ${CMAKE_CURRENT_LIST_DIR}/FormDesign.h
)
target_sources(velmora_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TFFieldEditor.cpp ${CMAKE_CURRENT_LIST_DIR}/TFFieldEditor.h
  ${CMAKE_CURRENT_LIST_DIR}/TTrKz.cpp ${CMAKE_CURRENT_LIST_DIR}/TTrKz.h
)
