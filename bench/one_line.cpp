// The baseline of the command-line benchmark: a C++ program that prints one line.
#include <iostream>

int main() {
    std::cout << "velmiro\n";
    return 0;
}
