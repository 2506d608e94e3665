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

std::string JoinInputPaths(const QStringList& items) {
    std::string joined;
    for (const QString& item : items) {
        if (!joined.empty()) {
            joined += ',';
        }
        joined += ToNativePath(item);
    }
    return joined;
}

bool HasRawExtension(const QString& path) {
    const std::string extension = SplitPath(ToNativePath(path)).extension;
    return QString::fromStdString(extension).compare(QStringLiteral(".raw"), Qt::CaseInsensitive) ==
           0;
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
