target_sources(velmora_core PRIVATE
  LoginValues.cpp LoginValues.h
)
target_sources(velmora_ui PRIVATE
  TPassCheck.cpp TPassCheck.h
)
