#include <QRegularExpression>
#include <QTest>

#include "editors/common/modeltext.h"
#include "editors/common/shownbytes.h"
#include "testregistry.h"

// Texts of the data model come back byte for byte after a trip through the
// editors, whatever bytes they hold.
class ModelTextTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");  // ShownBytes of the text's bytes
        QTest::newRow("ASCII") << QByteArray("PWR 1\r") << "PWR 1\\r";
        QTest::newRow("valid UTF-8") << QByteArray("\xe2\x82\xac caf\xc3\xa9") << QString::fromUtf8("€ café");
        QTest::newRow("Latin-1 byte") << QByteArray("CAF\xe9\r") << "CAF\\xE9\\r";
        QTest::newRow("lone tail byte") << QByteArray("a\x80z") << "a\\x80z";
        QTest::newRow("truncated at the end") << QByteArray("x\xe2\x82") << "x\\xE2\\x82";
        QTest::newRow("truncated before ASCII") << QByteArray("\xe2\x82z") << "\\xE2\\x82z";
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << "\\xC0\\xAF";
        QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << "\\xE0\\x80\\xAF";
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << "\\xED\\xA0\\x80";
        QTest::newRow("0xFF") << QByteArray("\xff\xfe") << "\\xFF\\xFE";
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << "\\xF4\\x90\\x80\\x80";
        // The characters standing for kept bytes, stored as valid UTF-8.
        QTest::newRow("U+10FFE9 itself") << QByteArray("\xf4\x8f\xbf\xa9") << "\\xF4\\x8F\\xBF\\xA9";
        QTest::newRow("mixed") << QByteArray("\xc3\xa9\xe9\xc3\xa9") << QString::fromUtf8("é\\xE9é");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        const std::string bytes(stored.constData(), static_cast<size_t>(stored.size()));
        const QString text = FromStd(bytes);
        QCOMPARE(QByteArray::fromStdString(ToStd(text)), stored);
        QCOMPARE(TextBytes(text), stored);
        QCOMPARE(ShownBytes(TextBytes(text)), shown);
        // Text built around a kept byte keeps it too.
        QCOMPARE(QByteArray::fromStdString(ToStd(QStringLiteral("<") + text + QStringLiteral(">"))),
                 "<" + stored + ">");
        // Valid UTF-8 reads as usual, except the kept-byte characters.
        if (QString::fromUtf8(stored).toUtf8() == stored && !stored.contains("\xf4\x8f"))
            QCOMPARE(text, QString::fromUtf8(stored));
    }

    // Every text of up to seven of \, n, x and a collapses as the expression replaces.
    void collapseDoubledEscapesAsTheExpression()
    {
        static const QRegularExpression escapes(QStringLiteral(R"(\\(\\[nrtx])+)"));
        for (int code = 0; code < 78125; ++code) {
            QString text;
            for (int rest = code; rest % 5 != 0; rest /= 5)
                text += QStringLiteral("\\nxa")[rest % 5 - 1];
            QCOMPARE(CollapseDoubledEscapes(text), QString(text).replace(escapes, QStringLiteral("\\1")));
        }
    }
};

TARVO_REGISTER_TEST(ModelTextTest);

#include "modeltext_test.moc"
