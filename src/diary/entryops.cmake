target_sources(velmora_core PRIVATE
  EntryOperations.cpp EntryOperations.h
)
target_sources(velmora_core PRIVATE
  SearchEntryRules.cpp SearchEntryRules.h
)
target_sources(velmora_ui PRIVATE
  EntryClipboard.cpp EntryClipboard.h
  TPasteMove.cpp TPasteMove.h
  TSucheTr.cpp TSucheTr.h
)
