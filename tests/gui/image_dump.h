#pragma once
// With QUILLMARK_TEST_DUMP_DIR set to a folder, the drawing tests save every image they render
// there, named after the test program, function, data row and a running number, so the
// pictures of two builds can be compared byte for byte. Does nothing otherwise.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QString>
#include <QTest>

namespace quillmark::test_support {

inline void dumpImage(const QImage& image) {
    static const QString folder = qEnvironmentVariable("QUILLMARK_TEST_DUMP_DIR");
    if (folder.isEmpty())
        return;
    static QString lastKey;
    static int number = 0;
    QString key = QCoreApplication::applicationName() + QLatin1Char('-') +
                  QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag())
        key += QLatin1Char('-') + QString::fromLatin1(tag);
    number = key == lastKey ? number + 1 : 0;
    lastKey = key;
    image.save(QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(key).arg(number)));
}

} // namespace quillmark::test_support
