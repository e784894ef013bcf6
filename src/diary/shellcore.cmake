target_sources(velmora_core PRIVATE
  TTREList.cpp TTREList.h
  FormElementCache.cpp FormElementCache.h
)
