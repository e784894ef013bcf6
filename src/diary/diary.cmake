target_sources(velmora_core PRIVATE
  DiaryListQuery.cpp DiaryListQuery.h
)
target_sources(velmora_ui PRIVATE
  EntryView.h
)
