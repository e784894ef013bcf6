target_sources(velmora_core PRIVATE
  BlockTable.cpp BlockTable.h
)
