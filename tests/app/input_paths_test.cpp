// The texts of the input list on their way to the run: the comma join, the ".raw" test of
// dropped paths and the tip cut to its buffer.

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
        QCOMPARE(FromNativePath(JoinInputPaths(items)), joined);
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
