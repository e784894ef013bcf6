target_sources(velmora_core PRIVATE
  DiaryListQuery.cpp DiaryListQuery.h
)
