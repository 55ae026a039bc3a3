#include <cstdio>

int main() {
    std::puts("Brakton: server not built yet");
    return 0;
}
