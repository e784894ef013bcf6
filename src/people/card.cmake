# The athlete card: its rules in the core, its window in the window library.
target_sources(velmora_core PRIVATE
  AthleteCard.cpp AthleteCard.h
)
target_sources(velmora_ui PRIVATE
  TSportlerkartei.cpp TSportlerkartei.h
)
