// orvane: everything is in the libraries; see shell/ProgramMain.cpp.
#include "shell/ProgramMain.h"

int main(int argc, char** argv) {
    return orv::programMain(argc, argv);
}
