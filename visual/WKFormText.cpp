#include "WKFormText.h"

#include "ComponentStreaming.h"
#include "WKConsts.h"
#include "RegisterComponents.h"
#include "dm_Service.h"

#include <QFile>
#include <QRegularExpression>

namespace {
TReaderOptions FormReaderOptions() {
    TReaderOptions options;
    options.OnError = LogReaderErrors([](const QString& line) { DebugLog(line); });
    return options;
}

QList<const QMetaObject*>& Designer() {
    static QList<const QMetaObject*> list;
    return list;
}

// Asks the class-module loader for the class a heading line names, so that
// its package is loaded before the text is read. The loader logs names it
// does not know; a package that fails to load raises.
void PrescanClass(const QString& line) {
    if (!line.contains(QLatin1String("object"))) return;
    const QString trimmed = line.trimmed();
    const QString name = trimmed.mid(trimmed.lastIndexOf(QLatin1Char(' ')) + 1);
    if (dmService)
        dmService->GetMetaClass(name);
    else
        ResolveClass(name);
}
}  // namespace

QString FormErrorText(const QString& message) {
    struct TRule {
        const char* Pattern;
        const char* Text;  // %1, %2: the captures
        bool Nested;       // the last capture is a message of its own
    };
    static const TRule rules[] = {
        {R"(^Line (\d+): (.*)$)", "строка %1: %2", true},
        {R"(^Error reading (\S*): (.*)$)", "%1: %2", true},
        {R"(^Error creating (\S+): (.*)$)", "не удалось создать %1: %2", true},
        {R"(^Class (\S+) not found$)", "класс %1 не найден (пакет элемента не загружен)", false},
        {R"(^Class (\S+) is not a component$)", "класс %1 не является компонентом", false},
        {R"(^Property (\S+) does not exist$)", "неизвестное свойство %1", false},
        {R"(^Property (\S+) cannot be read$)", "свойство %1 не читается", false},
        {R"(^Invalid value of property (\S+)$)", "недопустимое значение свойства %1", false},
        {R"(^Invalid set member (\S+) of property (\S+)$)", "недопустимый элемент %1 в свойстве %2", false},
        {R"(^Method (\S+) of event (\S+) not found$)", "нет метода %1 для события %2", false},
        {R"(^Cannot find inherited component (\S+)$)", "не найден унаследованный компонент %1", false},
        {R"(^'end' of object (\S*) missing$)", "нет «end» объекта %1", false},
        {R"(^'(.+)' expected$)", "ожидается «%1»", false},
        {R"(^(?:Value|String|Number|Index|Position|Identifier|identifier|Class name|class name) expected$)",
         "ожидается значение", false},
        {R"(^Integer out of range$)", "целое число вне допустимого диапазона", false},
        {R"(^Invalid (?:floating-point |hexadecimal )?number$)", "недопустимое число", false},
        {R"(^Invalid character \(code (\d+)\)$)", "недопустимый символ (код %1)", false},
        {R"(^Unterminated string$)", "строка в кавычках не закрыта", false},
        {R"(^Text after the end of the root object$)", "текст после конца формы", false},
    };
    for (const TRule& rule : rules) {
        const QRegularExpression re(QString::fromLatin1(rule.Pattern));
        const QRegularExpressionMatch m = re.match(message);
        if (!m.hasMatch()) continue;
        QStringList parts;
        for (int i = 1; i <= m.lastCapturedIndex(); ++i)
            parts << (rule.Nested && i == m.lastCapturedIndex() ? FormErrorText(m.captured(i)) : m.captured(i));
        const QString text = QString::fromUtf8(rule.Text);
        if (parts.size() == 2) return text.arg(parts[0], parts[1]);
        return parts.size() == 1 ? text.arg(parts[0]) : text;
    }
    return message;
}

QString FormFileErrorText(const QString& fileName, const QString& message) {
    return QStringLiteral("Файл %1: %2").arg(fileName, FormErrorText(message));
}

QString ComponentToString(TComponentBase* component) { return WriteComponentToText(component); }

TComponentBase* StringToComponent(const QString& text, TComponentBase* root) {
    return ReadComponentFromText(text, root, FormReaderOptions());
}

void SaveForm(TComponentBase* component, const QString& fileName) { WriteComponentFile(component, fileName); }

TComponentBase* LoadForm(TComponentBase* parent, const QStringList& lines) {
    for (const QString& line : lines) PrescanClass(line);
    const TStreamObject tree = ParseComponentText(lines.join(QStringLiteral("\r\n")));
    ResolveHeadingClasses(tree);
    if (parent) parent->DestroyComponents();
    return ReadComponentTree(tree, parent, FormReaderOptions());
}

TComponentBase* LoadForm(TComponentBase* parent, const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1: %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read file %1: %2").arg(fileName, f.errorString()));
    QString text = DecodeComponentFile(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return LoadForm(parent, text.split(QLatin1Char('\n')));
}

const QList<const QMetaObject*>& DesignerList() { return Designer(); }

namespace {
// The unit's start-up: packages loaded after this library register into DesignerList.
const bool WKControlsStarted = (InitWKControls(), true);
}  // namespace

void InitWKControls() {
    static bool started = false;
    if (started) return;
    started = true;
    SetRegisterComponentsProc([](const QString&, const QList<const QMetaObject*>& classes) {
        Designer().append(classes);
    });
}
