#include <cstdio>

int main() {
    std::puts("Pelorin: client not built yet");
    return 0;
}
