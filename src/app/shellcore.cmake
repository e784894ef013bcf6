target_sources(velmora_core PRIVATE
  TObjectList.h
)
target_sources(velmora_ui PRIVATE
  TAboutBox.cpp TAboutBox.h
)
