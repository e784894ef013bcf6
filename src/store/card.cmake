# Data-bound editors: widgets, so they go into the window library.
target_sources(velmora_ui PRIVATE
  DBControls.cpp DBControls.h
)
