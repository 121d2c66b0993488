#include <QTest>

#include <memory>

#include "editors/common/keptitems.h"
#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"
#include "testregistry.h"

namespace {

// The first element of a parsed text.
std::unique_ptr<KorXML_c> Parsed(const QByteArray& text)
{
    auto document = std::make_unique<KorXML_c>();
    KorBuffer_c buffer;
    buffer.Assign(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    document->Parse(&buffer);
    return document;
}

} // namespace

// Whether a stored parameter is written back as it is or as its row's fields
// turns on this comparison: what would change what the file says differs.
class KeptItemsTest : public QObject
{
    Q_OBJECT

private slots:
    void sameElement_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<bool>("same");
        const QByteArray p = R"(<param name="L" example="3"><rules><integer min="0" max="9"/></rules></param>)";
        QTest::newRow("same") << p << p << true;
        QTest::newRow("attribute order") << p << QByteArray(R"(<param example="3" name="L"><rules><integer max="9" min="0"/></rules></param>)") << true;
        QTest::newRow("case of names") << p << QByteArray(R"(<PARAM Name="L" example="3"><Rules><INTEGER min="0" max="9"/></Rules></PARAM>)") << true;
        QTest::newRow("empty attribute") << p << QByteArray(R"(<param name="L" description="" example="3"><rules><integer min="0" max="9"/></rules></param>)") << true;
        QTest::newRow("spaces are a value") << p << QByteArray(R"(<param name="L" description=" " example="3"><rules><integer min="0" max="9"/></rules></param>)") << false;
        QTest::newRow("another value") << p << QByteArray(R"(<param name="L" example="4"><rules><integer min="0" max="9"/></rules></param>)") << false;
        QTest::newRow("an init") << p << QByteArray(R"(<param name="L" init="1" example="3"><rules><integer min="0" max="9"/></rules></param>)") << false;
        QTest::newRow("second rule") << p << QByteArray(R"(<param name="L" example="3"><rules><integer min="0" max="9"/><string/></rules></param>)") << false;
        QTest::newRow("rule order") << QByteArray("<p><a/><b/></p>") << QByteArray("<p><b/><a/></p>") << false;
        QTest::newRow("text") << QByteArray("<p>x</p>") << QByteArray("<p>y</p>") << false;
        QTest::newRow("text split by an element") << QByteArray("<p>x<a/>y</p>") << QByteArray("<p><a/>xy</p>") << true;
        QTest::newRow("a comment") << QByteArray("<p><a/></p>") << QByteArray("<p><!-- c --><a/></p>") << false;
    }
    void sameElement()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(bool, same);
        const auto one = Parsed(a);
        const auto other = Parsed(b);
        const KorXML_c* first = one->NthChild(KOR_XML_ELEMENT, 0);
        const KorXML_c* second = other->NthChild(KOR_XML_ELEMENT, 0);
        QVERIFY(first && second);
        QCOMPARE(SameElement(first, second), same);
        QCOMPARE(SameElement(second, first), same);
    }
};

TARVO_REGISTER_TEST(KeptItemsTest);

#include "keptitems_test.moc"
