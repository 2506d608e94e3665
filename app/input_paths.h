#pragma once

#include <QString>
#include <QStringList>
#include <string>

// How the main dialog turns the texts of its input list into what the run takes, and back.

// Paths travel to the run and the raw library in the file system's own encoding.
std::string ToNativePath(const QString& path);
QString FromNativePath(const std::string& path);

// The items top to bottom, joined by ",": an empty item adds no comma while the joined text
// is still empty (so all-empty items give an empty text), later ones add an empty segment.
std::string JoinInputPaths(const QStringList& items);

// True when the path's extension, with its dot, is ".raw" in any letter case.
bool HasRawExtension(const QString& path);

// The tip of an item: its text cut to what a tip buffer of `bufferSize` characters holds
// (bufferSize - 1 characters and the terminator), never splitting a surrogate pair.
QString InfoTipText(const QString& itemText, int bufferSize);

// The size of the list's tip buffer.
inline constexpr int kInfoTipBufferSize = 1024;
