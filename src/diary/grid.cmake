target_sources(velmora_ui PRIVATE
  TDBScrollBar.cpp TDBScrollBar.h
  TDBTypeGrid.cpp TDBTypeGrid.h
)
