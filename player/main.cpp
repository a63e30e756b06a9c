#include "engine/tarq.h"

int main(int argc, char** argv) { return tarq_main(argc, argv); }
