#include "exchange/sources/FastXmlReader.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

// The reader's tokens as text: <name a=..>, </name>, "text".
QStringList tokensOf(const QByteArray& xml, const QList<QByteArray>& attributes = {})
{
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    FastXmlReader reader(&device);
    QStringList tokens;
    for (;;) {
        switch (reader.next()) {
        case FastXmlReader::Token::StartElement: {
            QString token = QLatin1Char('<') + QString::fromUtf8(reader.name());
            for (const QByteArray& attribute : attributes) {
                const QByteArray value = reader.attribute(attribute);
                if (!value.isEmpty())
                    token += QLatin1Char(' ') + QString::fromUtf8(attribute) + QLatin1Char('=') + QString::fromUtf8(value);
            }
            tokens << token + QLatin1Char('>');
            break;
        }
        case FastXmlReader::Token::EndElement:
            tokens << QStringLiteral("</") + QString::fromUtf8(reader.name()) + QLatin1Char('>');
            break;
        case FastXmlReader::Token::Text:
            tokens << QLatin1Char('"') + QString::fromUtf8(reader.text()) + QLatin1Char('"');
            break;
        case FastXmlReader::Token::End:
            return tokens;
        case FastXmlReader::Token::Error:
            return tokens << QStringLiteral("ERROR");
        }
    }
}

} // namespace

TEST(FastXmlReader, ElementsAttributesEntitiesAndPrefixes)
{
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!-- a comment with <c> inside -->"
        "<x:row r=\"3\" spans='1:2'><x:c r=\"A3\" t=\"s\"/><c r=\"B3\" note=\"a > b\">"
        "<v>O&apos;Brien &amp; &lt;Co&gt; &#20013;&#x6587;&#233;&#x1F600;</v></c><t><![CDATA[<raw & text>]]></t></x:row>";
    EXPECT_EQ(tokensOf(xml, {"r", "t", "note", "spans"}),
              (QStringList{QStringLiteral("\"\n\""), QStringLiteral("<row r=3 spans=1:2>"), QStringLiteral("<c r=A3 t=s>"),
                           QStringLiteral("</c>"), QStringLiteral("<c r=B3 note=a > b>"), QStringLiteral("<v>"),
                           QStringLiteral("\"O'Brien & <Co> 中文é😀\""), QStringLiteral("</v>"), QStringLiteral("</c>"),
                           QStringLiteral("<t>"), QStringLiteral("\"<raw & text>\""), QStringLiteral("</t>"),
                           QStringLiteral("</row>")}));
}

TEST(FastXmlReader, TokensLongerThanOneReadArriveWhole)
{
    const QByteArray longText(700 * 1024, 'x');
    const QByteArray longValue(300 * 1024, 'y');
    const QStringList tokens = tokensOf("<a v=\"" + longValue + "\">" + longText + "</a><b/>", {"v"});
    ASSERT_EQ(tokens.size(), 5);
    EXPECT_EQ(tokens[0], QStringLiteral("<a v=") + QString::fromLatin1(longValue) + QLatin1Char('>'));
    EXPECT_EQ(tokens[1].size(), longText.size() + 2);
    EXPECT_EQ(tokens[2], QStringLiteral("</a>"));
    EXPECT_EQ(tokens[3], QStringLiteral("<b>"));
}

TEST(FastXmlReader, DamageEndsWithAnError)
{
    EXPECT_EQ(tokensOf("<a>fine</a><b").last(), QStringLiteral("ERROR"));
    EXPECT_EQ(tokensOf("<a>&unknown;</a>").last(), QStringLiteral("ERROR"));
    EXPECT_EQ(tokensOf("<a>&#0;</a>").last(), QStringLiteral("ERROR"));
    EXPECT_EQ(tokensOf("<!-- never closed").last(), QStringLiteral("ERROR"));
    EXPECT_EQ(tokensOf("<>").last(), QStringLiteral("ERROR"));
}

TEST(FastXmlReader, CharacterReferencesDecimalHexadecimalAndBeyondTheBasicPlane)
{
    EXPECT_EQ(tokensOf("<t>&#x4E2D;&#33829;&amp;&#128512;&#x1f600; a&#65;&lt;</t>"),
              (QStringList{QStringLiteral("<t>"), QStringLiteral("\"中营&😀😀 aA<\""), QStringLiteral("</t>")}));
    for (const QByteArray broken : {"&#;", "&#x;", "&#55357;", "&#xDE00;", "&#1114112;", "&#123456789;", "&#12a;", "&amp",
                                    "&#65", "&", "&nbsp;"})
        EXPECT_EQ(tokensOf("<t>ok " + broken + " ok</t>").last(), QStringLiteral("ERROR")) << broken.constData();
}

TEST(FastXmlReader, CellShortcutReadsWholeShapesOnlyAndAcrossReads)
{
    const QByteArray longText(300 * 1024, 'z');
    QBuffer device;
    device.setData("<c><v>1 &amp; 2</v></c><c><v>3</v><f>x</f></c><c><is><t>" + longText + "</t></is></c><c/><c><v>&bad;</v></c>");
    device.open(QIODevice::ReadOnly);
    FastXmlReader reader(&device);
    QByteArray text;
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    EXPECT_TRUE(reader.readTextBetween("<v>", "</v></c>", text));
    EXPECT_EQ(text, "1 & 2");
    // A formula after the value: nothing is read, the tokens follow.
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    EXPECT_FALSE(reader.readTextBetween("<v>", "</v></c>", text));
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    EXPECT_EQ(reader.name(), "v");
    while (reader.next() != FastXmlReader::Token::EndElement || reader.name() != "c") {
    }
    // A text longer than one read.
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    text.clear();
    EXPECT_TRUE(reader.readTextBetween("<is><t>", "</t></is></c>", text));
    EXPECT_EQ(text.size(), longText.size());
    // An empty element owes its end first.
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    EXPECT_FALSE(reader.readTextBetween("<v>", "</v></c>", text));
    EXPECT_EQ(reader.next(), FastXmlReader::Token::EndElement);
    // Damage in the text is an error, as the tokens would have it.
    ASSERT_EQ(reader.next(), FastXmlReader::Token::StartElement);
    EXPECT_FALSE(reader.readTextBetween("<v>", "</v></c>", text));
    EXPECT_EQ(reader.next(), FastXmlReader::Token::Error);
}
