// Defects on purpose, one per argument, to show that a sanitizer build reports each of them and that
// the report fails the test (the options of test.sh must not let a report pass).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {
volatile int Sink;
int Shared; // written by two threads without synchronisation
} // namespace

int main(int argc, char** argv) {
    const std::string Case = argc > 1 ? argv[1] : "";
    if (Case == "heap-buffer-overflow") {
        char* P = static_cast<char*>(std::malloc(8));
        std::memset(P, 0, 8);
        Sink = P[8 + argc - 2]; // one byte past the end
        std::free(P);
    } else if (Case == "heap-use-after-free") {
        int* P = new int(1);
        delete P;
        Sink = *P;
    } else if (Case == "leak") {
        Sink = *new int[4]{1, 2, 3, 4};
    } else if (Case == "signed-overflow") {
        int V = INT_MAX - 2 + argc;
        Sink = V + 1;
    } else if (Case == "data-race") {
        std::thread T([] { Shared = 1; });
        Shared = 2;
        T.join();
        Sink = Shared;
    } else {
        std::fprintf(stderr, "unknown case\n");
        return 2;
    }
    std::printf("no report\n");
    return 0;
}
