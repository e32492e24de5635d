// Keyboard commands: flying, render switches, fog, the overhead camera, restart and quit.
#pragma once

// One bound key: the README's key table lists these same keys and actions.
struct KeyBinding {
    unsigned char key;
    const char* action; // what the key does, as a player reads it
    void (*run)();
};

extern const KeyBinding keyBindings[];
extern const int keyBindingCount;

// GLUT keyboard callback: runs the command bound to the key (case-sensitive); other keys,
// "R" among them, do nothing. The mouse position is ignored.
void keyboard(unsigned char key, int x, int y);
