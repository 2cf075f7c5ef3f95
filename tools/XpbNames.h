// Host names for archive element names, so that extracting never leaves the target folder.
#pragma once

#include <string>
#include <string_view>

/// A single host path component for an element or folder name from an archive: the
/// characters the host forbids and control bytes become "-", and names that would
/// step out of or stay in their folder ("", ".", "..", trailing dots) get a "_" first.
std::string SafeHostName(std::string_view elementName);
