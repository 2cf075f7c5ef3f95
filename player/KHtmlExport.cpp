// Writing the HTML gallery.
#include "player/KHtmlExport.h"

#include "player/KAlbum.h"
#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"

#include <cstdio>
#include <set>
#include <vector>

static constexpr uint32_t kColourMask = 0xFFFFFF;

std::string KHtmlExport::Escape(const std::string& ansi)
{
    std::string out;
    for (char c : NHostCodePage::AnsiToUtf8(ansi)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "<br>"; break;
        default: out += c;
        }
    }
    return out;
}

static std::string Hex(uint32_t colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(colour & kColourMask));
    return text;
}

// Copies an element of the album to a file of the folder.
static bool CopyOut(const KAlbum& album, const std::string& element, const std::string& folder, const std::string& name)
{
    NFileSpec target;
    if (!NFileSpec::FromHostPath(NHostDrives::The().ToHost(folder + "/" + name), target))
        return false;
    try {
        NStream in = album.Element(element).Open(NStreamMode::kRead, true);
        std::vector<char> bytes(static_cast<size_t>(in.GetLength()));
        in.ReadFully(static_cast<int32_t>(bytes.size()), bytes.data());
        if (target.Exists())
            (void)target.Delete();
        NStream out = target.Open(NStreamMode::kWrite, true);
        out.WriteFully(static_cast<int32_t>(bytes.size()), bytes.data());
        out.Close();
        return true;
    } catch (const NFileException&) {
        return false;
    }
}

static bool WriteText(const std::string& folder, const std::string& name, const std::string& text)
{
    NFileSpec target;
    if (!NFileSpec::FromHostPath(NHostDrives::The().ToHost(folder + "/" + name), target))
        return false;
    try {
        if (target.Exists())
            (void)target.Delete();
        NStream out = target.Open(NStreamMode::kWrite, true);
        out.WriteFully(static_cast<int32_t>(text.size()), text.data());
        out.Close();
        return true;
    } catch (const NFileException&) {
        return false;
    }
}

static std::string PageName(int32_t photo)
{
    char name[32];
    std::snprintf(name, sizeof name, "photo-%04d.html", static_cast<int>(photo));
    return name;
}

static std::string ImageName(int32_t photo)
{
    char name[32];
    std::snprintf(name, sizeof name, "images/%04d.jpg", static_cast<int>(photo));
    return name;
}

bool KHtmlExport::Write(const KAlbum& album, const std::string& folder, std::string& error)
{
    NFileSpec images;
    if (!NFileSpec::FromHostPath(NHostDrives::The().ToHost(folder + "/images/x.xxx"), images)) {
        error = folder + " is no usable folder";
        return false;
    }
    if (!images.Dir().Create()) {
        error = "cannot make " + folder + "/images";
        return false;
    }
    const KShowDescription& show = album.Show();
    bool background = CopyOut(album, "Assets:" + show.Text("slide.background"), folder, "images/background.jpg");
    std::string title = album.AlbumString("INTt").empty() ? std::string("Album") : album.AlbumString("INTt");
    std::string style = "<style>\n"
                        "body { margin: 0; font-family: sans-serif; color: "
        + Hex(show.Colour("caption.colour", 0xFF222222)) + "; background: #f4ede2"
        + (background ? " url(images/background.jpg) center / cover fixed" : "") + "; }\n"
        + "h1 { text-align: center; color: " + Hex(show.Colour("title.colour", 0xFF222222)) + "; }\n"
        + ".grid { display: flex; flex-wrap: wrap; justify-content: center; gap: 16px; padding: 16px; }\n"
        + ".grid a { display: block; width: 200px; background: rgba(255,255,255,0.85); padding: 8px; "
          "text-decoration: none; color: inherit; text-align: center; }\n"
        + ".grid img { width: 200px; height: 150px; object-fit: contain; }\n"
        + ".photo { text-align: center; padding: 16px; }\n"
        + ".photo img { max-width: 90vw; max-height: 75vh; border: 8px solid "
        + Hex(show.Colour("photo.border", 0xFFFFFFFF)) + "; }\n"
        + "nav { text-align: center; padding: 8px; }\n"
        + "nav a { margin: 0 12px; color: inherit; }\n"
        + "</style>\n";
    auto head = [&](const std::string& pageTitle) {
        return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(pageTitle)
            + "</title>\n" + style + "</head>\n<body>\n";
    };

    // Every photo once, in the order the show first brings it (a collage slide brings several).
    struct Photo {
        int32_t fNumber;
        std::string fCaption;
        std::string fAux;
    };
    std::vector<Photo> photos;
    std::set<int32_t> seen;
    for (const KSlide& slide : album.Slides()) {
        if (slide.fKind != KSlideKind::kPhoto)
            continue;
        std::vector<int32_t> numbers = slide.fCollage.empty() ? std::vector<int32_t> { slide.fPhoto } : slide.fCollage;
        for (int32_t number : numbers) {
            if (number < 0 || !seen.insert(number).second)
                continue;
            if (!CopyOut(album, KAlbum::PhotoElement(number), folder, ImageName(number)))
                continue;
            Photo photo { number, {}, {} };
            (void)album.PhotoInfo(number, photo.fCaption, photo.fAux);
            if (photo.fCaption.empty())
                photo.fCaption = "Photo " + std::to_string(number + 1);
            photos.push_back(photo);
        }
    }

    std::string index = head(title) + "<h1>" + Escape(title) + "</h1>\n<div class=\"grid\">\n";
    for (const Photo& photo : photos)
        index += "<a href=\"" + PageName(photo.fNumber) + "\"><img src=\"" + ImageName(photo.fNumber) + "\" alt=\""
            + Escape(photo.fCaption) + "\"><br>" + Escape(photo.fCaption) + "</a>\n";
    index += "</div>\n</body>\n</html>\n";
    if (!WriteText(folder, "index.html", index)) {
        error = "cannot write " + folder + "/index.html";
        return false;
    }
    for (size_t i = 0; i < photos.size(); ++i) {
        const Photo& photo = photos[i];
        std::string page = head(title + ": " + photo.fCaption) + "<nav>";
        if (i > 0)
            page += "<a href=\"" + PageName(photos[i - 1].fNumber) + "\">Previous</a>";
        page += "<a href=\"index.html\">All photos</a>";
        if (i + 1 < photos.size())
            page += "<a href=\"" + PageName(photos[i + 1].fNumber) + "\">Next</a>";
        page += "</nav>\n<div class=\"photo\"><img src=\"" + ImageName(photo.fNumber) + "\" alt=\"" + Escape(photo.fCaption)
            + "\">\n<p>" + Escape(photo.fCaption) + "</p>\n";
        if (!photo.fAux.empty())
            page += "<p>" + Escape(photo.fAux) + "</p>\n";
        page += "</div>\n</body>\n</html>\n";
        if (!WriteText(folder, PageName(photo.fNumber), page)) {
            error = "cannot write " + folder + "/" + PageName(photo.fNumber);
            return false;
        }
    }
    return true;
}
