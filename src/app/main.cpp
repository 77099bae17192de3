#include "app/Startup.h"

int main(int argc, char** argv) { return kzo::app::run(argc, argv); }
