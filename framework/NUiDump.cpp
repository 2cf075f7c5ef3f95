// The UI dump: the sprite tree as JSON for GUI tests, written atomically.
#include "framework/NUiDump.h"

#include "imaging/NSpObject.h"
#include "imaging/NUiDescription.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

void AppendString(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (uint8_t(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(uint8_t(c)));
                out += escape;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void AppendField(std::string& out, const char* name, int64_t value)
{
    out += '"';
    out += name;
    out += "\": ";
    out += std::to_string(value);
}

void AppendFlag(std::string& out, const char* name, bool value)
{
    out += '"';
    out += name;
    out += "\": ";
    out += value ? "true" : "false";
}

// Every node that describes itself: visible ones, and text sprites also when hidden.
void AppendNodes(std::string& out, const NSpObject& node, bool shown, bool enabled, bool& first)
{
    shown = shown && node.IsVisible();
    enabled = enabled && node.IsEnabled();
    NUiDescription description;
    if (node.DescribeUi(description) && (shown || description.kind == "text")) {
        NRect rect = node.DrawnRect().IsEmpty() ? node.Rect() : node.DrawnRect();
        out += first ? "\n    {" : ",\n    {";
        first = false;
        out += "\"kind\": ";
        AppendString(out, description.kind);
        out += ", \"name\": ";
        AppendString(out, description.name);
        out += ", \"text\": ";
        AppendString(out, description.text);
        out += ", ";
        AppendField(out, "event", description.event);
        out += ", ";
        AppendField(out, "x", rect.fX);
        out += ", ";
        AppendField(out, "y", rect.fY);
        out += ", ";
        AppendField(out, "w", rect.fWidth);
        out += ", ";
        AppendField(out, "h", rect.fHeight);
        out += ", ";
        AppendFlag(out, "visible", shown);
        out += ", ";
        AppendFlag(out, "enabled", enabled && description.enabled);
        out += ", ";
        AppendFlag(out, "selected", description.selected);
        out += ", ";
        AppendFlag(out, "focused", description.focused);
        out += "}";
    }
    for (NEventTarget* child : node.Children()) {
        if (const NSpObject* sprite = NSpChild(child))
            AppendNodes(out, *sprite, shown, enabled, first);
    }
}

} // namespace

void NUiDump::Configure(std::string_view programBase)
{
    fPath.clear();
    fLast.clear();
    const char* value = std::getenv("LUMORA_UI_DUMP");
    if (!value || !*value)
        return;
    fPath = value;
    for (size_t at; (at = fPath.find("%n")) != std::string::npos;)
        fPath.replace(at, 2, programBase);
}

std::string NUiDump::Json(const Frame& frame, const NSpObject& root)
{
    std::string out = "{\"app\": ";
    AppendString(out, frame.fApp);
    out += ", ";
    AppendField(out, "page", frame.fPage);
    out += ", ";
    AppendField(out, "frame", frame.fFrame);
    out += ",\n  \"window\": {";
    AppendField(out, "x", frame.fX);
    out += ", ";
    AppendField(out, "y", frame.fY);
    out += ", ";
    AppendField(out, "w", frame.fWidth);
    out += ", ";
    AppendField(out, "h", frame.fHeight);
    out += "}, ";
    AppendField(out, "scale", frame.fScale);
    out += ",\n  \"nodes\": [";
    bool first = true;
    AppendNodes(out, root, true, true, first);
    out += first ? "]}\n" : "\n  ]}\n";
    return out;
}

bool NUiDump::Update(const Frame& frame, const NSpObject& root)
{
    if (fPath.empty())
        return true;
    std::string text = Json(frame, root);
    if (text == fLast)
        return true;
    if (!WriteAtomically(fPath, text))
        return false;
    fLast = std::move(text);
    return true;
}

bool NUiDump::WriteAtomically(const std::string& path, const std::string& text)
{
    // Beside the file, so that the rename stays on one file system and is atomic.
    std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file.write(text.data(), std::streamsize(text.size())) || !file.flush())
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}
