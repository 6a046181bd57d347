// landuse-man-pages OUT_DIR: writes the manual pages of the three programs
// (NAME.1) from their option table, at build time.

#include "app/usage_text.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: landuse-man-pages OUT_DIR\n";
        return 2;
    }
    for (const landuse::ProgramText* program : landuse::Programs()) {
        const std::string file = std::string(argv[1]) + "/" + std::string(program->name) + ".1";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << landuse::ManPage(*program);
        out.close();
        if (!out) {
            std::cerr << "landuse-man-pages: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
