// Starting the game again, for the restart key.
#pragma once

namespace platform {

// Starts this same program again as a separate process, in the same working folder, through
// the command interpreter, and returns at once. The result is not checked: the caller ends
// this process anyway.
void startAgain();

} // namespace platform
