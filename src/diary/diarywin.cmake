target_sources(velmora_core PRIVATE
  DiaryEntryList.cpp DiaryEntryList.h
  DiaryListModel.cpp DiaryListModel.h
)
target_sources(velmora_ui PRIVATE
  TTrainingstagebuch.cpp TTrainingstagebuch.h
)
