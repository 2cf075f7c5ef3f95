// lumora-reg: queries, changes and exports the prefix's registry from the command line.
#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostRegistry.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

static constexpr int kExitOk = 0;
static constexpr int kExitFailed = 1;
static constexpr int kExitUsage = 2;
static constexpr unsigned kByteBits = 8;
static constexpr int kHexBase = 16;
static constexpr int kDecimalBase = 10;
static constexpr std::string_view kIndent = "    ";
static constexpr std::string_view kDefaultName = "(Default)";

static constexpr struct {
    uint32_t fType;
    std::string_view fName;
} kTypeNames[] = {
    {kRegNone, "REG_NONE"},     {kRegSz, "REG_SZ"},       {kRegExpandSz, "REG_EXPAND_SZ"},
    {kRegBinary, "REG_BINARY"}, {kRegDword, "REG_DWORD"},
};

namespace {
// The parsed command line.
struct Options {
    std::string fCommand;
    std::string fKey;
    bool fHasKey = false;
    std::string fValueName;
    bool fHasValue = false;   // /v NAME or /ve
    std::string fType = "REG_SZ";
    bool fHasType = false;
    std::string fData;
    bool fHasData = false;
    bool fForce = false;
    bool fRecursive = false;
};
}   // namespace

static const char kUsage[] =
    "usage: lumora-reg query KEY [/v NAME | /ve] [/s]\n"
    "       lumora-reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"
    "       lumora-reg delete KEY [/v NAME | /ve] [/f]\n"
    "       lumora-reg export [KEY]\n"
    "KEY is ROOT\\SUB\\KEY with ROOT one of HKEY_CLASSES_ROOT (HKCR), HKEY_CURRENT_USER (HKCU),\n"
    "HKEY_LOCAL_MACHINE (HKLM). The registry is $LUMORA_PREFIX/registry.db.\n";

static int Usage()
{
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

static int Fail(const std::string& message)
{
    std::fprintf(stderr, "lumora-reg: %s\n", message.c_str());
    return kExitFailed;
}

static std::string Folded(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return folded;
}

static bool IsSwitch(std::string_view argument, std::string_view name)
{
    return argument.size() == name.size() + 1 && (argument[0] == '/' || argument[0] == '-') &&
           Folded(argument.substr(1)) == name;
}

// False (after a message) for anything the command does not take.
static bool ParseOptions(int argc, char** argv, Options& options)
{
    options.fCommand = Folded(argv[1]);
    bool takesValue = options.fCommand != "export";
    bool takesData = options.fCommand == "add";
    for (int at = 2; at < argc; ++at) {
        std::string_view argument = argv[at];
        bool hasNext = at + 1 < argc;
        if (takesValue && IsSwitch(argument, "v") && hasNext && !options.fHasValue) {
            options.fValueName = argv[++at];
            options.fHasValue = true;
        } else if (takesValue && IsSwitch(argument, "ve") && !options.fHasValue) {
            options.fHasValue = true;
        } else if (takesData && IsSwitch(argument, "t") && hasNext) {
            options.fType = argv[++at];
            options.fHasType = true;
        } else if (takesData && IsSwitch(argument, "d") && hasNext) {
            options.fData = argv[++at];
            options.fHasData = true;
        } else if (takesValue && options.fCommand != "query" && IsSwitch(argument, "f")) {
            options.fForce = true;
        } else if (options.fCommand == "query" && IsSwitch(argument, "s")) {
            options.fRecursive = true;
        } else if (!options.fHasKey && !argument.empty() && argument[0] != '/') {
            options.fKey = argument;
            options.fHasKey = true;
        } else {
            std::fprintf(stderr, "lumora-reg: unexpected argument \"%s\"\n", argv[at]);
            return false;
        }
    }
    return true;
}

static std::string ErrorText(int32_t result)
{
    switch (result) {
    case kRegFileNotFound: return "no such key";
    case kRegAccessDenied: return "access denied";
    case kRegKeyDeleted: return "the key was deleted meanwhile";
    case kRegInvalidParameter: return "invalid name";
    case kRegIoFailed:
        return "the registry " + NHostDrives::The().Prefix() + "/registry.db cannot be read or written";
    default: return "registry error " + std::to_string(result);
    }
}

// "HKCU\Software\X" into its root and sub-key; false (after a message) for an unknown root.
static bool SplitKey(const std::string& key, uint32_t& root, std::string& subKey)
{
    size_t end = key.find('\\');
    std::string rootName = key.substr(0, end);
    subKey = end == std::string::npos ? std::string() : key.substr(end + 1);
    if (!NHostRegistry::ParseRoot(rootName, root)) {
        Fail("unknown root key \"" + rootName + "\" (use HKCR, HKCU or HKLM)");
        return false;
    }
    return true;
}

static std::string TypeName(uint32_t type)
{
    for (const auto& entry : kTypeNames) {
        if (entry.fType == type)
            return std::string(entry.fName);
    }
    return "REG_TYPE_" + std::to_string(type);
}

static uint32_t LittleEndian32(std::string_view data)
{
    uint32_t value = 0;
    for (size_t at = 0; at < sizeof value; ++at)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[at])) << (kByteBits * at);
    return value;
}

static std::string Hex(std::string_view data, std::string_view separator)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (char c : data) {
        unsigned byte = static_cast<unsigned char>(c);
        if (!text.empty())
            text += separator;
        text += kDigits[byte / kHexBase];
        text += kDigits[byte % kHexBase];
    }
    return text;
}

static bool IsStringType(uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz;
}

static std::string DataText(uint32_t type, const std::string& data)
{
    if (IsStringType(type))
        return data.substr(0, data.find('\0'));
    if (type == kRegDword && data.size() == sizeof(uint32_t)) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", LittleEndian32(data));
        return text;
    }
    return Hex(data, "");
}

static void PrintValue(const std::string& name, uint32_t type, const std::string& data)
{
    std::cout << kIndent << (name.empty() ? std::string(kDefaultName) : name) << kIndent << TypeName(type)
              << kIndent << DataText(type, data) << "\n";
}

namespace {
struct Value {
    std::string fName;
    uint32_t fType = kRegNone;
    std::string fData;
};
}   // namespace

// The values of a key to print: all of them, or only the one asked for.
static std::vector<Value> ValuesToPrint(NHostRegistry& registry, const NHostRegKey& key, const Options& options)
{
    std::vector<Value> values;
    Value value;
    for (uint32_t index = 0; registry.EnumValue(key, index, value.fName, value.fType, value.fData) == kRegSuccess;
         ++index) {
        if (!options.fHasValue || NHostCodePage::FoldUpper(value.fName) == NHostCodePage::FoldUpper(options.fValueName))
            values.push_back(value);
    }
    return values;
}

// Prints a key's block (its path and values; with a value asked for, only when the key has
// it), then its sub-keys' paths, or with recursion their blocks. Blocks are separated by a
// blank line. Counts the values printed.
static void QueryKey(NHostRegistry& registry, const NHostRegKey& key, const Options& options, bool& first,
                     size_t& printed)
{
    std::string path;
    if (registry.KeyPath(key, path) != kRegSuccess)
        return;   // deleted by another process meanwhile
    std::vector<Value> values = ValuesToPrint(registry, key, options);
    if (!options.fHasValue || !values.empty()) {
        std::cout << (first ? "" : "\n") << path << "\n";
        first = false;
        for (const Value& value : values)
            PrintValue(value.fName, value.fType, value.fData);
        printed += values.size();
    }
    std::vector<std::string> children;
    std::string name;
    for (uint32_t index = 0; registry.EnumKey(key, index, name) == kRegSuccess; ++index)
        children.push_back(name);
    if (!options.fRecursive) {
        if (!options.fHasValue && !children.empty()) {
            std::cout << "\n";
            for (const std::string& child : children)
                std::cout << path << "\\" << child << "\n";
        }
        return;
    }
    for (const std::string& child : children) {
        NHostRegKey childKey;
        if (registry.OpenKey(key, child, childKey) == kRegSuccess)
            QueryKey(registry, childKey, options, first, printed);
    }
}

static int Query(const Options& options)
{
    uint32_t root = 0;
    std::string subKey;
    if (!SplitKey(options.fKey, root, subKey))
        return kExitFailed;
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (int32_t result = registry.OpenKey(NHostRegistry::Root(root), subKey, key); result != kRegSuccess)
        return Fail(options.fKey + ": " + ErrorText(result));
    bool first = true;
    size_t printed = 0;
    QueryKey(registry, key, options, first, printed);
    if (options.fHasValue && printed == 0) {
        std::string name = options.fValueName.empty() ? std::string(kDefaultName) : "\"" + options.fValueName + "\"";
        return Fail(options.fKey + ": no value " + name);
    }
    return kExitOk;
}

// Asks on standard input; anything but yes (also the end of input) is no.
static bool Confirm(const std::string& question)
{
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cout << "\n";
        return false;
    }
    answer = Folded(answer);
    return answer == "y" || answer == "yes";
}

static bool ParseDword(const std::string& text, uint32_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, hex ? kHexBase : kDecimalBase);
    if (end == nullptr || *end != '\0' || parsed > UINT32_MAX)
        return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

static int Add(const Options& options)
{
    uint32_t root = 0;
    std::string subKey;
    if (!SplitKey(options.fKey, root, subKey))
        return kExitFailed;
    std::string type = Folded(options.fType);
    uint32_t dword = 0;
    if (type != "reg_sz" && type != "reg_dword")
        return Fail("unsupported type \"" + options.fType + "\" (use REG_SZ or REG_DWORD)");
    if (type == "reg_dword" && options.fHasData && !ParseDword(options.fData, dword))
        return Fail("\"" + options.fData + "\" is no 32-bit number (decimal, or hexadecimal with 0x)");
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (int32_t result = registry.CreateKey(NHostRegistry::Root(root), subKey, key); result != kRegSuccess)
        return Fail(options.fKey + ": " + ErrorText(result));
    // Type or data without a name set the default value.
    if (!options.fHasValue && !options.fHasType && !options.fHasData)
        return kExitOk;
    std::string name = options.fValueName;
    if (!options.fForce && registry.QueryValue(key, name, nullptr, nullptr, nullptr) == kRegSuccess &&
        !Confirm("Value " + (name.empty() ? std::string(kDefaultName) : name) + " exists, overwrite")) {
        return Fail("value not changed");
    }
    int32_t result = type == "reg_dword" ? registry.SetDword(key, name, dword)
                                         : registry.SetString(key, name, options.fData);
    return result == kRegSuccess ? kExitOk : Fail(options.fKey + ": " + ErrorText(result));
}

static int Delete(const Options& options)
{
    uint32_t root = 0;
    std::string subKey;
    if (!SplitKey(options.fKey, root, subKey))
        return kExitFailed;
    NHostRegistry& registry = NHostRegistry::The();
    NHostRegKey key;
    if (int32_t result = registry.OpenKey(NHostRegistry::Root(root), subKey, key); result != kRegSuccess)
        return Fail(options.fKey + ": " + ErrorText(result));
    if (options.fHasValue) {
        std::string shown = options.fValueName.empty() ? std::string(kDefaultName) : options.fValueName;
        if (registry.QueryValue(key, options.fValueName, nullptr, nullptr, nullptr) != kRegSuccess)
            return Fail(options.fKey + ": no value \"" + shown + "\"");
        if (!options.fForce && !Confirm("Delete the registry value " + shown))
            return Fail("nothing deleted");
        int32_t result = registry.DeleteValue(key, options.fValueName);
        return result == kRegSuccess ? kExitOk : Fail(options.fKey + ": " + ErrorText(result));
    }
    if (key.fId == NHostRegistry::Root(root).fId)
        return Fail(options.fKey + ": a root key cannot be deleted");
    if (!options.fForce && !Confirm("Permanently delete the registry key " + options.fKey + " and all below it"))
        return Fail("nothing deleted");
    int32_t result = registry.DeleteTree(NHostRegistry::Root(root), subKey);
    return result == kRegSuccess ? kExitOk : Fail(options.fKey + ": " + ErrorText(result));
}

static std::string QuotedRegText(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// One key's section and then its sub-keys' sections, in the text form of registry exports.
static void ExportKey(NHostRegistry& registry, const NHostRegKey& key)
{
    std::string path;
    if (registry.KeyPath(key, path) != kRegSuccess)
        return;
    std::cout << "[" << path << "]\n";
    std::string name;
    std::string data;
    uint32_t type = kRegNone;
    for (uint32_t index = 0; registry.EnumValue(key, index, name, type, data) == kRegSuccess; ++index) {
        std::cout << (name.empty() ? std::string("@") : QuotedRegText(name)) << "=";
        bool plainString = type == kRegSz && !data.empty() && data.find('\0') == data.size() - 1;
        if (plainString)
            std::cout << QuotedRegText(data.substr(0, data.size() - 1)) << "\n";
        else if (type == kRegDword && data.size() == sizeof(uint32_t)) {
            char text[16];
            std::snprintf(text, sizeof text, "dword:%08x", LittleEndian32(data));
            std::cout << text << "\n";
        } else if (type == kRegBinary)
            std::cout << "hex:" << Hex(data, ",") << "\n";
        else
            std::cout << "hex(" << std::hex << type << std::dec << "):" << Hex(data, ",") << "\n";
    }
    std::cout << "\n";
    std::vector<std::string> children;
    for (uint32_t index = 0; registry.EnumKey(key, index, name) == kRegSuccess; ++index)
        children.push_back(name);
    for (const std::string& child : children) {
        NHostRegKey childKey;
        if (registry.OpenKey(key, child, childKey) == kRegSuccess)
            ExportKey(registry, childKey);
    }
}

static int Export(const Options& options)
{
    NHostRegistry& registry = NHostRegistry::The();
    std::vector<NHostRegKey> keys;
    if (options.fHasKey) {
        uint32_t root = 0;
        std::string subKey;
        if (!SplitKey(options.fKey, root, subKey))
            return kExitFailed;
        NHostRegKey key;
        if (int32_t result = registry.OpenKey(NHostRegistry::Root(root), subKey, key); result != kRegSuccess)
            return Fail(options.fKey + ": " + ErrorText(result));
        keys.push_back(key);
    } else {
        for (uint32_t root : {kHKeyClassesRoot, kHKeyCurrentUser, kHKeyLocalMachine})
            keys.push_back(NHostRegistry::Root(root));
        std::string unused;
        if (int32_t result = registry.KeyPath(keys[0], unused); result != kRegSuccess)
            return Fail(ErrorText(result));
    }
    std::cout << "REGEDIT4\n\n";
    for (const NHostRegKey& key : keys)
        ExportKey(registry, key);
    return kExitOk;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "/?") == 0
        || (argc >= 3 && std::strcmp(argv[2], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    if (!ParseOptions(argc, argv, options))
        return Usage();
    if (options.fCommand == "export")
        return Export(options);
    if (!options.fHasKey)
        return Usage();
    if (options.fCommand == "query")
        return Query(options);
    if (options.fCommand == "add")
        return Add(options);
    if (options.fCommand == "delete")
        return Delete(options);
    return Usage();
}
