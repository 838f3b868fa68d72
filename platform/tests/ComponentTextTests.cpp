#include "CodePages.h"
#include "ComponentBinary.h"
#include "ComponentText.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>

namespace {
// A form as the old programs wrote them, with every construct the reader
// must accept: no indentation, keywords in other cases, inherited and inline
// headings, unnamed objects, continuations, codes, hex, exponents, suffixes.
const char* const OldFixture =
    "object frmMain: TfrmMain\r\n"
    "  Left = -8\r\n"
    "  Width = $1F4\r\n"
    "  Scale = 1.500000000000000000\r\n"
    "  Tiny = 1E-4\r\n"
    "  Huge = -2.000000000000000000e+07\r\n"
    "  Single = 0.25s\r\n"
    "  Caption = #1052#1086#1085'''s'#13#10 +\r\n"
    "    ' tail'\r\n"
    "  Emoji = #55357#56832\r\n"
    "  Font.Style = [fsBold, fsItalic]\r\n"
    "  Empty = []\r\n"
    "  Align = alClient\r\n"
    "  PopupMenu = nil\r\n"
    "  Link = frmOther.pmMain\r\n"
    "  Lines.Strings = (\r\n"
    "    'one'\r\n"
    "    'two')\r\n"
    "  Sensors = <\r\n"
    "    item\r\n"
    "      GID = 101\r\n"
    "      Parts = <\r\n"
    "        item\r\n"
    "          Text = 'x'\r\n"
    "        end>\r\n"
    "    end\r\n"
    "    item [1]\r\n"
    "    end>\r\n"
    "  Data = {\r\n"
    "    0A0b\r\n"
    "    FF}\r\n"
    "OBJECT Panel1: TWKPanel\r\n"
    "Caption = ''\r\n"
    "object TWKLabel\r\n"
    "end\r\n"
    "End\r\n"
    "  inherited Frame1: TFrame1 [2]\r\n"
    "  end\r\n"
    "  inline Frame2: TFrame2\r\n"
    "  end\r\n"
    "end\r\n";

const TStreamValue& Prop(const TStreamObject& o, const char* name) {
    for (const TStreamProperty& p : o.Properties)
        if (p.Name == QLatin1String(name)) return p.Value;
    static TStreamValue none;
    ADD_FAILURE() << "no property " << name;
    return none;
}

TEST(ComponentText, OldFixtureParsesEveryConstruct) {
    const TStreamObject root = ParseComponentText(QString::fromLatin1(OldFixture));
    EXPECT_EQ(root.Name, "frmMain");
    EXPECT_EQ(root.ClassName, "TfrmMain");
    EXPECT_EQ(Prop(root, "Left").Int, -8);
    EXPECT_EQ(Prop(root, "Width").Int, 500);
    EXPECT_DOUBLE_EQ(Prop(root, "Scale").Float, 1.5);
    EXPECT_DOUBLE_EQ(Prop(root, "Tiny").Float, 1e-4);
    EXPECT_DOUBLE_EQ(Prop(root, "Huge").Float, -2e7);
    EXPECT_DOUBLE_EQ(Prop(root, "Single").Float, 0.25);
    EXPECT_EQ(Prop(root, "Caption").Str, QString::fromUtf8("Мон's\r\n tail"));
    EXPECT_EQ(Prop(root, "Emoji").Str, QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(Prop(root, "Font.Style").Set, QStringList({"fsBold", "fsItalic"}));
    EXPECT_EQ(Prop(root, "Empty").Kind, TStreamValue::vaSet);
    EXPECT_TRUE(Prop(root, "Empty").Set.isEmpty());
    EXPECT_TRUE(Prop(root, "PopupMenu").IsIdent("NIL"));
    EXPECT_EQ(Prop(root, "Link").Str, "frmOther.pmMain");
    const TStreamValue& lines = Prop(root, "Lines.Strings");
    ASSERT_EQ(lines.List.size(), 2u);
    EXPECT_EQ(lines.List[1].Str, "two");
    const TStreamValue& sensors = Prop(root, "Sensors");
    ASSERT_EQ(sensors.Items.size(), 2u);
    EXPECT_EQ(sensors.Items[0][0].Value.Int, 101);
    EXPECT_EQ(sensors.Items[0][1].Value.Items[0][0].Value.Str, "x");
    EXPECT_TRUE(sensors.Items[1].empty());
    EXPECT_EQ(Prop(root, "Data").Bytes, QByteArray("\x0A\x0B\xFF", 3));

    ASSERT_EQ(root.Children.size(), 3u);
    EXPECT_EQ(root.Children[0].ClassName, "TWKPanel");
    ASSERT_EQ(root.Children[0].Children.size(), 1u);
    EXPECT_TRUE(root.Children[0].Children[0].Name.isEmpty());
    EXPECT_EQ(root.Children[1].Flag, TStreamObject::ffInherited);
    EXPECT_EQ(root.Children[1].Position, 2);
    EXPECT_EQ(root.Children[2].Flag, TStreamObject::ffInline);
    EXPECT_EQ(HeadingClassNames(root),
              QStringList({"TfrmMain", "TWKPanel", "TWKLabel", "TFrame1", "TFrame2"}));
}

TEST(ComponentText, WriteReadWriteIsStable) {
    TStreamObject root = ParseComponentText(QString::fromLatin1(OldFixture));
    const QString once = WriteComponentText(root);
    const TStreamObject again = ParseComponentText(once);
    EXPECT_TRUE(again == root);
    EXPECT_EQ(WriteComponentText(again), once);
    for (QChar c : once) ASSERT_LT(c.unicode(), 128) << "text must be pure ASCII";
    EXPECT_TRUE(once.endsWith("end\r\n"));
    EXPECT_FALSE(once.contains(QRegularExpression("[^\r]\n")));
}

TEST(ComponentText, WriterLayout) {
    TStreamObject root;
    root.Name = "Form1";
    root.ClassName = "TForm1";
    root.Properties.push_back({"Caption", TStreamValue::String(QString::fromUtf8("Ъ'\r"))});
    root.Properties.push_back({"Zero", TStreamValue::Floating(0.0)});
    root.Properties.push_back({"Tenth", TStreamValue::Floating(0.1)});
    root.Properties.push_back({"NaNValue", TStreamValue::Floating(std::nan(""))});
    TStreamValue list;
    list.Kind = TStreamValue::vaList;
    list.List = {TStreamValue::String("a"), TStreamValue::String("b")};
    root.Properties.push_back({"Lines.Strings", list});
    TStreamValue coll;
    coll.Kind = TStreamValue::vaCollection;
    coll.Items = {{{"GID", TStreamValue::Integer(7)}}};
    root.Properties.push_back({"Items", coll});
    root.Properties.push_back({"Data", TStreamValue::Binary(QByteArray(33, '\x01'))});
    TStreamObject child;
    child.Name = "Label1";
    child.ClassName = "TLabel";
    root.Children.push_back(child);
    EXPECT_EQ(WriteComponentText(root),
              "object Form1: TForm1\r\n"
              "  Caption = #1066''''#13\r\n"
              "  Zero = 0.0\r\n"
              "  Tenth = 0.1\r\n"
              "  NaNValue = NaN\r\n"
              "  Lines.Strings = (\r\n"
              "    'a'\r\n"
              "    'b')\r\n"
              "  Items = <\r\n"
              "    item\r\n"
              "      GID = 7\r\n"
              "    end>\r\n"
              "  Data = {\r\n"
              "    0101010101010101010101010101010101010101010101010101010101010101\r\n"
              "    01}\r\n"
              "  object Label1: TLabel\r\n"
              "  end\r\n"
              "end\r\n");
}

TEST(ComponentText, LongStringsWrapAndSurrogatesStayWhole) {
    QString s;
    for (int i = 0; i < 63; ++i) s += 'x';
    s += QString::fromUtf8("\xF0\x9F\x98\x80");  // a pair across the 64th character
    s += QString(100, 'y');
    TStreamObject root;
    root.ClassName = "T";
    root.Properties.push_back({"S", TStreamValue::String(s)});
    const QString text = WriteComponentText(root);
    EXPECT_TRUE(text.contains("'#55357#56832 +\r\n")) << text.toStdString();
    EXPECT_EQ(ParseComponentText(text).Properties[0].Value.Str, s);
}

TEST(ComponentText, MalformedTextRaisesWithLine) {
    const char* const cases[] = {
        "",
        "end",
        "object A: TA",                          // no end
        "object A: TA\r\n  X = \r\nend",         // no value
        "object A: TA\r\n  X = 'open\r\nend",    // unterminated string
        "object A: TA\r\n  X 5\r\nend",          // no '='
        "object A: TA\r\n  X = [a b]\r\nend",    // set without comma
        "object A: TA\r\n  X = (1 2\r\nend",     // open list
        "object A: TA\r\n  X = <1>\r\nend",      // collection without item
        "object A: TA\r\n  X = {0A1}\r\nend",    // odd hex digits
        "object A: TA\r\n  X = {0G}\r\nend",     // bad hex
        "object A: TA\r\n  X = #70000\r\nend",   // character code too large
        "object A: TA\r\n  X = 99999999999999999999\r\nend",
        "object A: TA\r\n  X = $FFFFFFFFFFFFFFFFF\r\nend",
        "object A: TA\r\n  X = 1e999\r\nend",
        "object A: TA\r\n  X = 12ab\r\nend",
        "object A: TA\r\n  X = 'a' +\r\nend",    // dangling continuation
        "object A: TA\r\n  X = a..b\r\nend",
        "object A: TA\r\n  X = ?\r\nend",
        "object A: TA\r\nend\r\nobject B: TB\r\nend",  // two roots
        "object : TA\r\nend",
        "object A: TA [x]\r\nend",
    };
    for (const char* c : cases) {
        try {
            ParseComponentText(QString::fromLatin1(c));
            ADD_FAILURE() << "accepted: " << c;
        } catch (const EParserError& e) {
            EXPECT_TRUE(e.Message().startsWith("Line ")) << e.what();
        }
    }
}

TEST(ComponentText, IntegerLimits) {
    const struct {
        const char* text;
        qint64 value;
    } ok[] = {
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"$7FFFFFFFFFFFFFFF", std::numeric_limits<qint64>::max()},
        {"-$10", -16},
    };
    for (const auto& c : ok) {
        const TStreamObject o = ParseComponentText(QStringLiteral("object A: TA\r\n  X = %1\r\nend").arg(QLatin1String(c.text)));
        EXPECT_EQ(o.Properties[0].Value.Int, c.value) << c.text;
        EXPECT_TRUE(ParseComponentText(WriteComponentText(o)) == o) << c.text;
    }
    for (const char* bad : {"9223372036854775808", "-9223372036854775809", "$8000000000000000"})
        EXPECT_THROW(ParseComponentText(QStringLiteral("object A: TA\r\n  X = %1\r\nend").arg(QLatin1String(bad))),
                     EParserError)
            << bad;
}

TEST(ComponentText, NegativeZeroKeepsItsSign) {
    // The smallest form that once came back positive: a class-less object, CR line ends.
    const TStreamObject read = ParseComponentText(QStringLiteral("object k\re=-0.0\rend"));
    ASSERT_EQ(read.Properties.size(), 1u);
    ASSERT_EQ(read.Properties[0].Value.Kind, TStreamValue::vaFloat);
    EXPECT_TRUE(std::signbit(read.Properties[0].Value.Float));

    const struct {
        const char* what;
        double value;
        const char* text;
    } cases[] = {{"negative zero", -0.0, "-0.0"}, {"positive zero", 0.0, "0.0"}, {"negative", -1.5, "-1.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TStreamObject root;
        root.Name = "A";
        root.ClassName = "TA";
        root.Properties.push_back({"X", TStreamValue::Floating(c.value)});
        const QString text = WriteComponentText(root);
        EXPECT_TRUE(text.contains(QStringLiteral("  X = %1\r\n").arg(QLatin1String(c.text)))) << text.toStdString();
        const double fromText = ParseComponentText(text).Properties.at(0).Value.Float;
        EXPECT_EQ(fromText, c.value);
        EXPECT_EQ(std::signbit(fromText), std::signbit(c.value)) << "text";
        const double fromBinary = ReadComponentBinary(WriteComponentBinary(root)).Properties.at(0).Value.Float;
        EXPECT_EQ(fromBinary, c.value);
        EXPECT_EQ(std::signbit(fromBinary), std::signbit(c.value)) << "binary";
        EXPECT_TRUE(ParseComponentText(text) == root);
        EXPECT_TRUE(ReadComponentBinary(WriteComponentBinary(root)) == root);
    }
}

TEST(ComponentText, DeepNestingIsRefusedNotOverflowed) {
    QString deep;
    for (int i = 0; i < 100000; ++i) deep += "object A: TA\n";
    EXPECT_THROW(ParseComponentText(deep), EParserError);
    QString lists = "object A: TA\nX = ";
    for (int i = 0; i < 100000; ++i) lists += '(';
    EXPECT_THROW(ParseComponentText(lists), EParserError);
}

TEST(ComponentText, FileEncodings) {
    const QString text = QString::fromUtf8("object A: TA\r\n  C = 'Ёж'\r\nend\r\n");
    QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8 with mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"UTF-16LE with mark", QByteArray("\xFF\xFE") + QByteArray(le.encode(text))},
        {"UTF-16BE with mark", QByteArray("\xFE\xFF") + QByteArray(be.encode(text))},
        {"UTF-8 without mark", text.toUtf8()},
        {"windows-1251", EncodeCodePage(text, TCodePage::cpAnsi)},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeComponentFile(c.bytes), text) << c.what;
}

TEST(ComponentBinary, RoundTripAndDamage) {
    const TStreamObject root = ParseComponentText(QString::fromLatin1(OldFixture));
    const QByteArray data = WriteComponentBinary(root);
    EXPECT_TRUE(IsComponentBinary(data));
    EXPECT_TRUE(ReadComponentBinary(data) == root);
    // Every cut of the data is refused, never half read.
    for (qsizetype n = 0; n < data.size(); ++n) EXPECT_THROW(ReadComponentBinary(data.left(n)), EParserError) << n;
    QByteArray bigCount = data.left(4);
    bigCount += char(0);
    bigCount += QByteArray("\xFF\xFF\xFF\xFF\x0F", 5);  // a class name 4G units long
    EXPECT_THROW(ReadComponentBinary(bigCount), EParserError);
    EXPECT_THROW(ReadComponentBinary(data + "x"), EParserError);
    EXPECT_THROW(ReadComponentBinary("TPF0"), EParserError);
}
}  // namespace
