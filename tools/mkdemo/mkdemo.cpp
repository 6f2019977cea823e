// Writes the demo data set into the folder given as the only argument.
#include <cstdio>
#include <string>

#include "datagen/demo_data.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo OUTPUT_FOLDER\n");
        return 2;
    }
    std::string error;
    if (!datagen::WriteDemoDataSet(argv[1], datagen::DemoOptions{}, &error)) {
        std::fprintf(stderr, "mkdemo: %s in %s\n", error.c_str(), argv[1]);
        return 1;
    }
    return 0;
}
