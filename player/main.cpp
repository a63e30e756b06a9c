#include "engine/tarq.h"
#include "player/app.h"

int main(int argc, char** argv) { return tarq_main(argc, argv, &tovo_application); }
