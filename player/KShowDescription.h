// A theme's show description: key=value lines telling the player how to show an album.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

/// Later lines win and a later file read over an earlier one overrides its keys, so the
/// theme's file, its variant's and the co-brand content's are read one after the other.
class KShowDescription {
public:
    /// key=value lines; '#' starts a comment line; lines without '=' are ignored.
    void Read(const std::string& text);
    bool Has(const std::string& key) const { return fValues.count(key) != 0; }
    std::string Text(const std::string& key, const std::string& otherwise = std::string()) const;
    /// The integers of a value in order ("120,64,400,300" gives four).
    std::vector<int> Numbers(const std::string& key) const;
    int Int(const std::string& key, int otherwise) const;
    /// 0xAARRGGBB of the value's "#rrggbb" or "#aarrggbb" (opaque when it has six digits).
    uint32_t Colour(const std::string& key, uint32_t otherwise) const;
    /// The value split at commas.
    std::vector<std::string> List(const std::string& key) const;
    size_t Size() const { return fValues.size(); }

private:
    std::map<std::string, std::string> fValues;
};
