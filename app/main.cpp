// The program entry: everything happens in runGame.
#include "app/startup.h"

int main(int argc, char** argv)
{
    return runGame(argc, argv);
}
