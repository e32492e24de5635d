// The frame display: camera, light, fog range, terrain passes, player marker and HUD.
#pragma once

// Draws one whole frame from the game state and swaps the buffers (GLUT display and idle
// callback). Writes only lightPosition and markerAngle of the game state.
void display();
