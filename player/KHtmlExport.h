// A static HTML gallery of an album: an index of thumbnails and captions, a page a photo.
#pragma once

#include <string>

class KAlbum;

/// Writes index.html, photo-NNNN.html and the pictures under images/ into a folder (a
/// Linux path, made when missing); the pages link only to each other and to those
/// pictures, so the gallery opens in any browser from the disk.
class KHtmlExport {
public:
    /// False with a reason when something could not be written.
    [[nodiscard]] static bool Write(const KAlbum& album, const std::string& folder, std::string& error);
    /// Text made safe for HTML, from the programs' code page to UTF-8.
    static std::string Escape(const std::string& ansi);
};
