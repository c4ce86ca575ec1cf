// Writes the internal skin's master image: norvena_skin_image PATH
// (the build's target skin_image writes skin/desert.bmp).

#include "skin/masterimage/MasterImage.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: norvena_skin_image PATH.bmp\n");
        return 2;
    }
    if (!drawMasterImage().save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
