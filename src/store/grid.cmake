target_sources(velmora_core PRIVATE
  CursorModel.cpp CursorModel.h
  TypeAhead.cpp TypeAhead.h
)
