target_sources(velmora_core PRIVATE
  DocumentList.cpp DocumentList.h
  OpenDialogRules.cpp OpenDialogRules.h
  TKeyEntry.h
)
target_sources(velmora_ui PRIVATE
  TFrmOpen.cpp TFrmOpen.h
)
