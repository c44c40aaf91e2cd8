#include <cstdio>

int main() {
    std::fputs("zarn-cli: not yet\n", stderr);
    return 1;
}
