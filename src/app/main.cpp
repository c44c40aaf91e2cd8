#include "ui/Startup.h"

int main(int argc, char** argv) {
    return zarn::RunZarn(argc, argv);
}
