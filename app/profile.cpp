#include "app/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kSection = QStringLiteral("Application Data");
const QString kLastDirectoryKey = QStringLiteral("Last Used Directory");

}  // namespace

QString ProfileFilePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".ini");
}

QString DefaultLastDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Brevanto\\");
#else
    return QDir::homePath() + QLatin1Char('/');
#endif
}

QString ReadLastDirectory() {
    QSettings settings(ProfileFilePath(), QSettings::IniFormat);
    settings.beginGroup(kSection);
    return settings.value(kLastDirectoryKey, DefaultLastDirectory()).toString();
}

void WriteLastDirectory(const QString& directory) {
    QSettings settings(ProfileFilePath(), QSettings::IniFormat);
    settings.beginGroup(kSection);
    settings.setValue(kLastDirectoryKey, directory);
}
