target_sources(velmora_core PRIVATE
  EntryRules.cpp EntryRules.h
)
target_sources(velmora_ui PRIVATE
  TTrainingselement.cpp TTrainingselement.h
  TTrainingseintrag.cpp TTrainingseintrag.h
)
