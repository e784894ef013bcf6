target_sources(velmora_core PRIVATE
  EntryOperations.cpp EntryOperations.h
)
