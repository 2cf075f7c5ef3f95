// Test helper: writes many registry values from a process of its own, alongside another writer.
//
//   RegistryWriterHelper NAME COUNT WRITERS
//
// Checks first that a value the test process wrote is visible ("Software\FromTest" "Greeting"
// = "hello"), waits until all WRITERS have started, then writes COUNT values "Value<i>" =
// "NAME<i>" under "Software\Writers\NAME" and creates the keys "Software\Shared\Key<i>" that
// the other writers create too, each with a value NAME.
#include "platform/NHostRegistry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    std::string name = argv[1];
    int count = std::atoi(argv[2]);
    uint32_t writers = static_cast<uint32_t>(std::atoi(argv[3]));
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey user = NHostRegistry::Root(kHKeyCurrentUser);

    NHostRegKey greeting;
    char text[16] = {};
    uint32_t size = sizeof text;
    if (registry.OpenKey(user, "software\\fromtest", greeting) != kRegSuccess ||
        registry.QueryValue(greeting, "GREETING", nullptr, text, &size) != kRegSuccess || std::string(text) != "hello")
        return 3;

    // Every writer marks itself ready and starts once all are, so that their writes overlap.
    NHostRegKey ready;
    if (registry.CreateKey(user, "Software\\Ready", ready) != kRegSuccess || registry.SetString(ready, name, "") != kRegSuccess)
        return 4;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string valueName;
    std::string data;
    uint32_t type = 0;
    while (registry.EnumValue(ready, writers - 1, valueName, type, data) != kRegSuccess) {
        if (std::chrono::steady_clock::now() > deadline)
            return 6;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    NHostRegKey own;
    if (registry.CreateKey(user, "Software\\Writers\\" + name, own) != kRegSuccess)
        return 4;
    for (int at = 0; at < count; ++at) {
        std::string index = std::to_string(at);
        NHostRegKey shared;
        if (registry.CreateKey(user, "Software\\Shared\\Key" + index, shared) != kRegSuccess ||
            registry.SetDword(shared, name, static_cast<uint32_t>(at)) != kRegSuccess ||
            registry.SetString(own, "Value" + index, name + index) != kRegSuccess) {
            std::fprintf(stderr, "RegistryWriterHelper %s: write %d failed\n", name.c_str(), at);
            return 5;
        }
    }
    return 0;
}
