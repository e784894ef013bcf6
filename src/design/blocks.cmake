# The block designer: its rules in the core, its windows in the window library.
target_sources(velmora_core PRIVATE
  BlockDesign.cpp BlockDesign.h
  FieldRules.cpp FieldRules.h
)
target_sources(velmora_ui PRIVATE
  TTrFieldEditor.cpp TTrFieldEditor.h
  TTrTable.cpp TTrTable.h
)
