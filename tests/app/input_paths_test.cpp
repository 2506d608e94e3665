// The texts of the input list on their way to the run: the comma join, the ".raw" test of
// dropped paths, the bytes of dropped URLs, list lines against their list's folder, and the
// tip cut to its buffer.

#include <QtTest>

#include "app/input_paths.h"

class InputPathsTest : public QObject {
    Q_OBJECT

  private slots:
    void joinTopToBottom_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("joined");
        QTest::newRow("two") << QStringList{"C:\\a.raw", "C:\\b.raw"} << "C:\\a.raw,C:\\b.raw";
        QTest::newRow("one, no comma") << QStringList{"/d/x.raw"} << "/d/x.raw";
        QTest::newRow("empty first item adds nothing") << QStringList{"", "a"} << "a";
        QTest::newRow("empty middle item") << QStringList{"a", "", "b"} << "a,,b";
        QTest::newRow("empty last item") << QStringList{"a", ""} << "a,";
        QTest::newRow("all empty") << QStringList{"", "", ""} << "";
        QTest::newRow("comma inside a path") << QStringList{"/d/a,b.raw", "c"} << "/d/a,b.raw,c";
        QTest::newRow("not trimmed") << QStringList{" a ", "b "} << " a ,b ";
        QTest::newRow("non-ASCII") << QStringList{"/d/\u00e9t\u00e9.raw"} << "/d/\u00e9t\u00e9.raw";
    }
    void joinTopToBottom() {
        QFETCH(QStringList, items);
        QFETCH(QString, joined);
        // Each item as the dialog hands it to the run: its bytes in the file system's encoding.
        std::vector<std::string> native;
        for (const QString& item : items) {
            native.push_back(ToNativePath(item));
        }
        QCOMPARE(FromNativePath(JoinNativePaths(native)), joined);
    }

    void rawExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("raw");
        QTest::newRow("lower") << "/d/x.raw" << true;
        QTest::newRow("upper") << "/d/x.RAW" << true;
        QTest::newRow("mixed") << "C:\\d\\x.rAw" << true;
        QTest::newRow("dotted name") << "/d/a.b.raw" << true;
        QTest::newRow("backup") << "/d/x.raw.bak" << false;
        QTest::newRow("no extension") << "/d/x" << false;
        QTest::newRow("text") << "/d/x.txt" << false;
        QTest::newRow("dot in folder only") << "/d.raw/x" << false;
        QTest::newRow("extension only") << "/d/.raw" << true;
        QTest::newRow("longer extension") << "/d/x.raws" << false;
    }
    void rawExtension() {
        QFETCH(QString, path);
        QFETCH(bool, raw);
        QCOMPARE(HasRawExtension(path), raw);
    }

    void rawExtensionOfBytes_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("raw");
        QTest::newRow("no UTF-8 in the name") << QByteArray("/d/caf\xe9.raw") << true;
        QTest::newRow("no UTF-8 in the extension") << QByteArray("/d/x.r\xe1w") << false;
        QTest::newRow("upper case") << QByteArray("/d/\xff.RAW") << true;
    }
    void rawExtensionOfBytes() {
        QFETCH(QByteArray, path);
        QFETCH(bool, raw);
        QCOMPARE(HasRawExtension(path.toStdString()), raw);
    }

    // A file manager escapes the bytes of a path in its URL; each escape is one byte again.
    void urlPathBytes_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("plain") << QByteArray("file:///d/x.raw") << QByteArray("/d/x.raw");
        QTest::newRow("Latin-1 byte")
            << QByteArray("file:///d/caf%E9.raw") << QByteArray("/d/caf\xe9.raw");
        QTest::newRow("UTF-8") << QByteArray("file:///d/%C3%A9.raw")
                               << QByteArray("/d/\xc3\xa9.raw");
        QTest::newRow("blank and percent")
            << QByteArray("file:///d/a%20b%25.raw") << QByteArray("/d/a b%.raw");
        QTest::newRow("final slash") << QByteArray("file:///d/x.raw/") << QByteArray("/d/x.raw/");
        QTest::newRow("not a local file")
            << QByteArray("https://example.org/x.raw") << QByteArray();
    }
    void urlPathBytes() {
        QFETCH(QByteArray, url);
        QFETCH(QByteArray, path);
        QCOMPARE(QByteArray::fromStdString(NativePathOfUrl(QUrl::fromEncoded(url))), path);
    }

    void listLinesResolveAgainstTheListFolder_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("relative") << QByteArray("x.raw") << QByteArray("/l/")
                                  << QByteArray("/l/x.raw");
        QTest::newRow("relative with folders")
            << QByteArray("../d/x.raw") << QByteArray("/l/") << QByteArray("/l/../d/x.raw");
        QTest::newRow("absolute") << QByteArray("/d/x.raw") << QByteArray("/l/")
                                  << QByteArray("/d/x.raw");
        QTest::newRow("empty line stays empty")
            << QByteArray() << QByteArray("/l/") << QByteArray();
        QTest::newRow("blank line is a name")
            << QByteArray(" ") << QByteArray("/l/") << QByteArray("/l/ ");
        QTest::newRow("bytes kept")
            << QByteArray("caf\xe9.raw") << QByteArray("/\xff/") << QByteArray("/\xff/caf\xe9.raw");
        QTest::newRow("no folder") << QByteArray("x.raw") << QByteArray() << QByteArray("x.raw");
    }
    void listLinesResolveAgainstTheListFolder() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, path);
        QCOMPARE(
            QByteArray::fromStdString(ResolveListLine(line.toStdString(), folder.toStdString())),
            path);
    }

    void joinKeepsBytes() {
        QCOMPARE(JoinNativePaths({"/d/caf\xe9.raw", "", "/d/\xff.raw"}),
                 std::string("/d/caf\xe9.raw,,/d/\xff.raw"));
    }

    void tipCutToBuffer_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("tip");
        QTest::newRow("fits") << "/d/x.raw" << 80 << "/d/x.raw";
        QTest::newRow("exactly buffer less one") << QString(79, u'a') << 80 << QString(79, u'a');
        QTest::newRow("one too many") << QString(80, u'a') << 80 << QString(79, u'a');
        QTest::newRow("buffer of one") << "abc" << 1 << "";
        QTest::newRow("no buffer") << "abc" << 0 << "";
        // A character outside the basic plane is two UTF-16 units; half of it is no text.
        QTest::newRow("surrogate pair at the cut") << QStringLiteral("ab\U0001F600c") << 4 << "ab";
        QTest::newRow("surrogate pair before the cut")
            << QStringLiteral("ab\U0001F600c") << 5 << QStringLiteral("ab\U0001F600");
    }
    void tipCutToBuffer() {
        QFETCH(QString, text);
        QFETCH(int, bufferSize);
        QFETCH(QString, tip);
        QCOMPARE(InfoTipText(text, bufferSize), tip);
    }
};

QTEST_APPLESS_MAIN(InputPathsTest)
#include "input_paths_test.moc"
