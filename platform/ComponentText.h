#pragma once
// The stored form of a component tree, independent of the classes in it, and
// its two encodings: the component text of form files and the compact binary
// form of documents and the clipboard.
//
// Text form, as old files use it:
//   object Name: TClass            (also "inherited Name: TClass [2]",
//     Left = 8                      "inline ...", "object TClass")
//     Caption = 'It''s'#13#10'x' + (strings: quotes doubled, #nnn codes,
//       'continued'                 + continuations)
//     Width = $40                  (integers, hex)
//     Percents = 0.5               (floats, exponents; NaN, Inf, -Inf)
//     Align = alClient             (identifiers, True, False, nil, A.B)
//     Font.Style = [fsBold]        (sets; dotted names of sub-objects)
//     Lines.Strings = ('a' 'b')    (lists)
//     Sensors = <item GID = 1 end> (collections, nested at will)
//     Data = {0A0B}                (binary)
//     object Child: TOther ... end (children after the properties)
//   end
// Keywords and identifiers are case-insensitive; indentation and line breaks
// carry no meaning when reading.
#include "Exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#pragma GCC visibility push(default)

class EParserError : public Exception {
public:
    using Exception::Exception;
};

struct TStreamProperty;

struct TStreamValue {
    enum TKind { vaNil, vaInt, vaFloat, vaString, vaIdent, vaSet, vaList, vaCollection, vaBinary };
    TKind Kind = vaNil;
    qint64 Int = 0;
    double Float = 0;
    QString Str;                          // vaString, vaIdent
    QStringList Set;                      // vaSet members
    std::vector<TStreamValue> List;       // vaList
    std::vector<std::vector<TStreamProperty>> Items;  // vaCollection: one property list per item
    QByteArray Bytes;                     // vaBinary

    static TStreamValue Integer(qint64 v);
    static TStreamValue Floating(double v);
    static TStreamValue String(const QString& v);
    static TStreamValue Ident(const QString& v);
    static TStreamValue Binary(const QByteArray& v);
    // True for an identifier equal (case-insensitively) to ident.
    bool IsIdent(const char* ident) const;
};

struct TStreamProperty {
    QString Name;  // dotted path
    TStreamValue Value;
    int Line = 0;  // line in the text it came from (0: not from a text)
};

struct TStreamObject {
    enum TFlag { ffObject, ffInherited, ffInline };
    TFlag Flag = ffObject;
    QString Name;
    QString ClassName;
    int Position = -1;  // the "[n]" of a heading; -1 when absent
    std::vector<TStreamProperty> Properties;
    std::vector<TStreamObject> Children;
    int Line = 0;  // heading line in the text it came from
};

bool operator==(const TStreamValue& a, const TStreamValue& b);
bool operator==(const TStreamProperty& a, const TStreamProperty& b);
bool operator==(const TStreamObject& a, const TStreamObject& b);

// Parses the whole text (one root object). Raises EParserError naming the
// line on any malformed input; never returns a partial tree.
TStreamObject ParseComponentText(const QString& text);
// Every class name of the headings, in text order, without repeats.
QStringList HeadingClassNames(const TStreamObject& root);

// The text of a tree: two blanks a level, CR LF line ends, pure ASCII.
QString WriteComponentText(const TStreamObject& root);

// Decodes a form file's bytes: UTF-8 and UTF-16 byte-order marks are
// honoured; without one the bytes are UTF-8 when they are valid UTF-8,
// windows-1251 otherwise.
QString DecodeComponentFile(const QByteArray& bytes);

#pragma GCC visibility pop
