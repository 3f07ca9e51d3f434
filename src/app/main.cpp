#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("larkspire %s\n", LARKSPIRE_VERSION);
            return 0;
        }
    }
    std::printf("larkspire %s\nusage: larkspire [--console] [--version] [/F=file.lks] [/G] [/Q] ...\n",
                LARKSPIRE_VERSION);
    return 0;
}
