#pragma once

#include <QString>
#include <QUrl>
#include <string>
#include <vector>

// How the main dialog turns the texts of its input list into what the run takes, and back.
//
// A path travels as the file system's bytes from where it enters (a list file's line, a
// dropped file, the browse dialog) to the run. Its text is only for showing: bytes that are
// no valid UTF-8 cannot go through a QString unchanged.

// The file system's own encoding, for paths that are text already.
std::string ToNativePath(const QString& path);
// The path as shown; bytes that are no valid UTF-8 show as replacement characters.
QString FromNativePath(const std::string& path);

// The items top to bottom, joined by ",": an empty item adds no comma while the joined text
// is still empty (so all-empty items give an empty text), later ones add an empty segment.
std::string JoinNativePaths(const std::vector<std::string>& items);

// True when the path's extension, with its dot, is ".raw" in any letter case.
bool HasRawExtension(const std::string& nativePath);
bool HasRawExtension(const QString& path);

// The bytes of a local file URL's path, percent-escapes decoded byte for byte (a file
// manager escapes bytes that are no UTF-8 that way); empty for a URL that is no local file.
std::string NativePathOfUrl(const QUrl& url);

// A line of a list file as an input path: a relative line is taken relative to the folder of
// the list file (`listFolder`, ending in a separator); absolute and empty lines stay as they
// are.
std::string ResolveListLine(const std::string& line, const std::string& listFolder);

// The tip of an item: its text cut to what a tip buffer of `bufferSize` characters holds
// (bufferSize - 1 characters and the terminator), never splitting a surrogate pair.
QString InfoTipText(const QString& itemText, int bufferSize);

// The size of the list's tip buffer.
inline constexpr int kInfoTipBufferSize = 1024;
