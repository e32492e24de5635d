// Storage for the program-wide state.
#include "app/game_state.h"

GameState game;
