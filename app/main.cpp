// Program entry.
#include <cstdio>

int main(int argc, char** argv) {
    std::printf("Lumora\n");
    return 0;
}
