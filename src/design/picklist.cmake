# The pick-list editor: the list rules in the core, the window in the window library.
target_sources(velmora_core PRIVATE
  AssignedValuesModel.cpp AssignedValuesModel.h
  PickList.cpp PickList.h
)
target_sources(velmora_ui PRIVATE
  TIndexValues.cpp TIndexValues.h
)
