// Test helper: a program that reports how it was started.
//
// Writes its working folder and then each argument after the program name, one a line, to the
// file named by $LUMORA_ECHO_OUTPUT (through a temporary name, so the file appears whole),
// after waiting $LUMORA_ECHO_DELAY_MS milliseconds when that is set.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    const char* output = std::getenv("LUMORA_ECHO_OUTPUT");
    if (output == nullptr)
        return 2;
    if (const char* delay = std::getenv("LUMORA_ECHO_DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
    std::string temporary = std::string(output) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << std::filesystem::current_path().string() << "\n";
        for (int at = 1; at < argc; ++at)
            out << argv[at] << "\n";
    }
    std::filesystem::rename(temporary, output);
    return 0;
}
