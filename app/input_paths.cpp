#include "app/input_paths.h"

#include <QFile>
#include <algorithm>

#include "processing/output_path.h"

std::string ToNativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string JoinNativePaths(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) {
        if (!joined.empty()) {
            joined += ',';
        }
        joined += item;
    }
    return joined;
}

bool HasRawExtension(const std::string& nativePath) {
    const std::string extension = processing::SplitPath(nativePath).extension;
    return QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()))
               .compare(QStringLiteral(".raw"), Qt::CaseInsensitive) == 0;
}

bool HasRawExtension(const QString& path) {
    return HasRawExtension(ToNativePath(path));
}

std::string NativePathOfUrl(const QUrl& url) {
    if (!url.isLocalFile()) {
        return std::string();
    }
    // The fully encoded path keeps every byte that is no UTF-8 as an escape of its own.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string ResolveListLine(const std::string& line, const std::string& listFolder) {
    if (line.empty() || line.front() == '/' || listFolder.empty()) {
        return line;
    }
    return listFolder + line;
}

QString InfoTipText(const QString& itemText, int bufferSize) {
    if (bufferSize <= 0) {
        return QString();
    }
    qsizetype length = std::min<qsizetype>(itemText.size(), bufferSize - 1);
    if (length > 0 && length < itemText.size() && itemText.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return itemText.left(length);
}
