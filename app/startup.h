// Start-up: the window, the callbacks, the scene set-up and the 50 ms timer.
#pragma once

// Builds the world, places the player and sets the fixed lighting state. Ends the process
// with status 1 when no world could be loaded. Needs a current GL context.
void initScene();

// GLUT timer callback: puts the people back once all are saved, then re-arms itself.
void timer(int value);

// The program: GLUT start-up, window, callbacks, scene, main loop.
int runGame(int argc, char** argv);
