/* QipBuild: the album builder library's exported interface (C linkage, 32-bit integers).
 *
 * Strings are NUL-terminated Windows-1252 byte strings; paths are host paths
 * ("C:\\Photos\\a.jpg", "\\\\server\\share\\f"). Output strings go into a caller buffer
 * of the given length; pass buffers large enough for the result and its NUL (260 bytes
 * for paths). Tags are four-character codes, first character in the most significant
 * byte. Calls that take an album handle do nothing (and answer 0) for any handle but
 * the open album's. No call throws; one thread at a time. */
#ifndef QIPBUILD_H
#define QIPBUILD_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Creates the album at outputPath (save dialog when it cannot be converted) from the theme
 * file (".lmp" for none); segmentSize -5/-3/-2/-1 = 3,000,000/2,000,000/1,433,600/1,000,000
 * bytes, 0/-4 = one file, else bytes, rounded down to 512. The handle (200, 201, ...), or
 * -1 cancelled, -2 file error or unusable theme path, -3 an album is open, -4 no memory. */
int32_t QLA_CreateAlbum(const char* themePath, int32_t options, const char* outputPath, int32_t segmentSize);
/* Append one string or integer chunk to the album info, in call order. */
void QLA_SaveAlbumString(int32_t album, int32_t tag, const char* text);
void QLA_SaveAlbumInt(int32_t album, int32_t tag, int32_t value);
/* Copies the JPEG at sourcePath in as the next photo and starts its info; a caption ending
 * in "//" loses it and splits at its first "//" into caption and aux text. 1 or 0. */
int32_t QLA_OpenPhoto(int32_t album, const char* sourcePath, const char* pictureName, const char* title,
                      const char* caption, int32_t date);
/* Append one chunk to the open photo's info. */
void QLA_SavePhotoString(int32_t album, int32_t tag, const char* text);
void QLA_SavePhotoInt(int32_t album, int32_t tag, int32_t value);
/* Stores the open photo's info and advances the photo number. */
void QLA_ClosePhoto(int32_t album);
/* QLA_OpenPhoto followed, on success, by QLA_ClosePhoto. 1 or 0. */
int32_t QLA_AddPhoto(int32_t album, const char* sourcePath, const char* pictureName, const char* title,
                     const char* caption, int32_t date);
/* Copies any file in as "photo:" + nameInAlbum. 1 or 0. */
int32_t QLA_SaveFile(int32_t album, const char* sourcePath, const char* nameInAlbum);
/* The current photo number as four digits ("0000"); at most length - 1 bytes. */
void QLA_GetCurPhotoName(int32_t album, char* buffer, int32_t length);
/* Finishes, seals and closes the album; the handle becomes invalid. */
void QLA_CloseAlbum(int32_t album);
/* The album's host path (the chosen one after the save dialog); empty for a bad handle. */
void QLA_GetOutputFilename(int32_t album, char* buffer, int32_t length);
/* Finishes the archive (checksum still at close) and answers the number of its files. */
int32_t QLA_GetNumSegments(int32_t album);
/* The file name of segment `index` (from 0); call QLA_GetNumSegments first. */
void QLA_GetSegmentName(int32_t album, int32_t index, char* buffer, int32_t length);
/* The "@" theme folder (lower-cased) that albums created afterwards keep. */
void QLA_SetKeepFolder(const char* folder);
/* A nonzero flag lets QLA_GetThemeName name every theme. */
void QLA_VeltraMaker(int32_t flag);
/* Starts the registered ".Qip" open command with the album; 1 if started. 0 while an album is open. */
int32_t QLA_LaunchViewer(const char* albumPath);
/* The theme's display name in the user's language; empty when hidden from this client. */
void QLA_GetThemeName(const char* themePath, char* buffer, int32_t length);
/* The icon's size in bytes (0 if none); its bytes when the buffer holds them. */
int32_t QLA_GetThemeIcon(const char* themePath, void* buffer, int32_t length);
/* The feature list's size in bytes (0 if none); its bytes when the buffer holds them. */
int32_t QLA_GetThemeFeatures(const char* themePath, void* buffer, int32_t length);
/* flag := 0, themeId := the theme's id, triple := its three-character code. Always 1. */
int32_t QLA_GetThemeInfo(const char* themePath, int32_t* flag, int32_t* themeId, char* triple, int32_t length);
/* 0x19990521. */
int32_t QLA_VersionNumber(void);
/* 0: the library encodes no JPEG. */
int32_t QLA_GetJpegQuality(void);
/* Accepted and ignored. */
void QLA_DebugOutputOn(void);
void QLA_DebugOutputOff(void);

#ifdef __cplusplus
}
#endif

#endif
