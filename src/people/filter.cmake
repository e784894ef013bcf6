# The filter window: its rules and row in the core, its window in the window library.
target_sources(velmora_core PRIVATE
  FilterRules.cpp FilterRules.h
  FilterEditor.cpp FilterEditor.h
)
target_sources(velmora_ui PRIVATE
  TFilter.cpp TFilter.h
)
