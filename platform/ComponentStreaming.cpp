#include "ComponentStreaming.h"

#include "ClassRegistry.h"
#include "ComponentBinary.h"
#include "SafeSave.h"

#include <QFile>
#include <QHash>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaProperty>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

// --- filer -------------------------------------------------------------------------

void TFiler::DefineProperty(const QString& name, TReadProc read, TWriteProc write, bool hasData) {
    FDefined.push_back({name, std::move(read), std::move(write), hasData});
}

void TFiler::DefineBinaryProperty(const QString& name, std::function<void(const QByteArray&)> read,
                                  std::function<QByteArray()> write, bool hasData) {
    TReadProc r = [read = std::move(read), name](const TStreamValue& v) {
        if (v.Kind != TStreamValue::vaBinary) throw EReadError(QStringLiteral("Invalid value of property %1").arg(name));
        read(v.Bytes);
    };
    TWriteProc w = [write = std::move(write)] { return TStreamValue::Binary(write()); };
    FDefined.push_back({name, std::move(r), std::move(w), hasData});
}

const TFiler::TDefined* TFiler::Find(const QString& name) const {
    for (const TDefined& d : FDefined)
        if (d.Name.compare(name, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

std::function<bool(const QString&)> LogReaderErrors(std::function<void(const QString& line)> writeLine) {
    return [writeLine = std::move(writeLine)](const QString& message) {
        writeLine(QStringLiteral("Error loading form: ") + message);
        return true;
    };
}

// --- metadata helpers ------------------------------------------------------------------

namespace {
// Properties declared by Qt's own classes (objectName, geometry ...) are not streamed.
int FirstStreamedProperty(const QMetaObject* meta) {
    for (const QMetaObject* m = meta; m; m = m->superClass())
        if (m->className()[0] == 'Q') return m->propertyCount();
    return 0;
}

bool IsMethodType(const QMetaType& t) { return t == QMetaType::fromType<TMethod>(); }
bool IsObjectPointer(const QMetaType& t) { return t.flags().testFlag(QMetaType::PointerToQObject); }

// A class that declares a property of a base class's name again (a grid's
// Options of its own kind) hides the base's: the most derived one is read and
// written, the hidden one never, so what is written reads back.
QMetaProperty FindProperty(const QMetaObject* meta, const QString& name) {
    for (int i = meta->propertyCount() - 1; i >= FirstStreamedProperty(meta); --i) {
        QMetaProperty p = meta->property(i);
        if (name.compare(QLatin1String(p.name()), Qt::CaseInsensitive) == 0) return p;
    }
    return {};
}

bool Hidden(const QMetaObject* meta, int index) {
    const QLatin1String name(meta->property(index).name());
    for (int i = index + 1; i < meta->propertyCount(); ++i)
        if (name.compare(QLatin1String(meta->property(i).name()), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QStringList AlwaysStored(const QMetaObject* meta) {
    QStringList names;
    for (const QMetaObject* m = meta; m; m = m->superClass()) {
        const int i = m->indexOfClassInfo("AlwaysStored");
        if (i >= m->classInfoOffset())
            for (const QString& n : QString::fromLatin1(m->classInfo(i).value()).split(',', Qt::SkipEmptyParts))
                names << n.trimmed();
    }
    return names;
}

// The Is<Name>Stored() predicate of a property, when the class has one.
bool PredicateSaysStored(QObject* obj, const QMetaProperty& p) {
    const QByteArray sig = QByteArray("Is") + p.name() + "Stored()";
    const int i = obj->metaObject()->indexOfMethod(sig.constData());
    if (i < 0) return true;
    bool stored = true;
    obj->metaObject()->method(i).invoke(obj, Qt::DirectConnection, Q_RETURN_ARG(bool, stored));
    return stored;
}

// Enumerations and flag sets are read and written through their raw bytes,
// whatever the size of the type.
qint64 RawInt(const QVariant& v) {
    const int size = int(v.metaType().sizeOf());
    const void* d = v.constData();
    switch (size) {
        case 1: return *static_cast<const qint8*>(d);
        case 2: return *static_cast<const qint16*>(d);
        case 8: return *static_cast<const qint64*>(d);
        default: return *static_cast<const qint32*>(d);
    }
}

QVariant FromRawInt(const QMetaType& t, qint64 value) {
    switch (t.sizeOf()) {
        case 1: { qint8 x = qint8(value); return QVariant(t, &x); }
        case 2: { qint16 x = qint16(value); return QVariant(t, &x); }
        case 8: return QVariant(t, &value);
        default: { qint32 x = qint32(value); return QVariant(t, &x); }
    }
}

std::optional<int> EnumValue(const QMetaEnum& e, const QString& ident) {
    for (int i = 0; i < e.keyCount(); ++i)
        if (ident.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) return e.value(i);
    return std::nullopt;
}

bool IsSingleBit(int v) { return v != 0 && (v & (v - 1)) == 0; }

QString ObjectName(QObject* obj) {
    if (TComponentBase* c = AsComponent(obj)) return c->Name().isEmpty() ? c->ClassName() : c->Name();
    return QString::fromLatin1(obj->metaObject()->className());
}

QString RegisteredName(const QMetaObject* meta) {
    if (const TClassInfo* c = FindClassByMeta(meta)) return c->Name;
    return QString::fromLatin1(meta->className());
}

// A fresh object of the class, for the construction values of its properties.
QObject* NewDefaultInstance(const QMetaObject* meta) {
    if (const TClassInfo* c = FindClassByMeta(meta))
        if (c->Create) return c->Create(nullptr);
    return meta->newInstance(Q_ARG(QObject*, nullptr));
}

// --- writer ------------------------------------------------------------------------------

class TTreeWriter {
public:
    explicit TTreeWriter(TComponentBase* root) : FRoot(root) {}
    ~TTreeWriter() {
        for (auto& [meta, obj] : FDefaults) delete obj;
    }

    TStreamObject Object(TComponentBase* c) {
        TStreamObject node;
        node.Flag = c->ComponentState().Contains(TComponentStateItem::csInline) ? TStreamObject::ffInline
                                                                                 : TStreamObject::ffObject;
        node.ClassName = RegisteredName(c->Self()->metaObject());
        node.Name = c->Name();
        c->SetState(TComponentStateItem::csWriting, true);
        try {
            Properties(c->Self(), Default(c->Self()->metaObject()), QString(), node.Properties);
            TFiler filer(true, FRoot);
            c->DefineProperties(filer);
            Defined(filer, QString(), node.Properties);
            c->GetChildren([&](TComponentBase* child) { node.Children.push_back(Object(child)); }, FRoot);
        } catch (...) {
            c->SetState(TComponentStateItem::csWriting, false);
            throw;
        }
        c->SetState(TComponentStateItem::csWriting, false);
        return node;
    }

private:
    QObject* Default(const QMetaObject* meta) {
        auto it = FDefaults.find(meta);
        if (it != FDefaults.end()) return it->second;
        QObject* obj = NewDefaultInstance(meta);
        FDefaults[meta] = obj;
        return obj;
    }

    static void Defined(const TFiler& filer, const QString& prefix, std::vector<TStreamProperty>& out) {
        for (const TFiler::TDefined& d : filer.Defined())
            if (d.HasData && d.Write) out.push_back({prefix + d.Name, d.Write()});
    }

    // The name under which a reference is stored; empty when it cannot be.
    QString ReferenceText(QObject* target) const {
        TComponentBase* c = target ? AsComponent(target) : nullptr;
        if (!c || c->Name().isEmpty()) return {};
        if (c == FRoot || c->Owner() == FRoot) return c->Name();
        if (c->Owner() && !c->Owner()->Name().isEmpty()) return c->Owner()->Name() + '.' + c->Name();
        return c->Owner() ? QString() : c->Name();
    }

    std::optional<TStreamValue> Scalar(const QMetaProperty& p, const QVariant& v) const {
        const QMetaType t = p.metaType();
        if (p.isFlagType()) {
            const QMetaEnum e = p.enumerator();
            const qint64 bits = RawInt(v);
            TStreamValue s;
            s.Kind = TStreamValue::vaSet;
            for (int i = 0; i < e.keyCount(); ++i)
                if (IsSingleBit(e.value(i)) && (bits & e.value(i))) s.Set << QString::fromLatin1(e.key(i));
            return s;
        }
        if (p.isEnumType()) {
            const qint64 value = RawInt(v);
            if (const char* key = p.enumerator().valueToKey(int(value))) return TStreamValue::Ident(QString::fromLatin1(key));
            return TStreamValue::Integer(value);
        }
        switch (t.id()) {
            case QMetaType::Bool: return TStreamValue::Ident(v.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
            case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
            case QMetaType::LongLong: case QMetaType::Long: case QMetaType::UChar: case QMetaType::SChar:
                return TStreamValue::Integer(v.toLongLong());
            case QMetaType::ULongLong: case QMetaType::ULong:
                return TStreamValue::Integer(qint64(v.toULongLong()));
            case QMetaType::Double: case QMetaType::Float: return TStreamValue::Floating(v.toDouble());
            case QMetaType::QString: return TStreamValue::String(v.toString());
            case QMetaType::QChar: return TStreamValue::String(QString(v.toChar()));
            case QMetaType::QByteArray: return TStreamValue::Binary(v.toByteArray());
            case QMetaType::QStringList: {
                TStreamValue l;
                l.Kind = TStreamValue::vaList;
                for (const QString& s : v.toStringList()) l.List.push_back(TStreamValue::String(s));
                return l;
            }
            case QMetaType::QVariant: return VariantValue(v);
            default: break;
        }
        if (IsMethodType(t)) {
            const TMethod m = v.value<TMethod>();
            if (m && m.Data == FRoot->Self()) return TStreamValue::Ident(QString::fromLatin1(m.Name));
            return TStreamValue();  // nil: not a handler of this root
        }
        return std::nullopt;
    }

    static std::optional<TStreamValue> VariantValue(const QVariant& v) {
        if (!v.isValid()) return TStreamValue();
        switch (v.metaType().id()) {
            case QMetaType::Bool: return TStreamValue::Ident(v.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
            case QMetaType::Double: case QMetaType::Float: return TStreamValue::Floating(v.toDouble());
            case QMetaType::QString: return TStreamValue::String(v.toString());
            default: break;
        }
        bool ok = false;
        const qint64 i = v.toLongLong(&ok);
        if (ok) return TStreamValue::Integer(i);
        return std::nullopt;
    }

    TStreamValue Collection(TCollection* coll) {
        TStreamValue v;
        v.Kind = TStreamValue::vaCollection;
        std::unique_ptr<TCollectionItem> fresh;
        if (coll->Count() > 0) fresh = coll->NewItem();
        for (int i = 0; i < coll->Count(); ++i) {
            std::vector<TStreamProperty> props;
            Properties(coll->Items(i), fresh.get(), QString(), props);
            TFiler filer(true, FRoot);
            coll->Items(i)->DefineProperties(filer);
            Defined(filer, QString(), props);
            v.Items.push_back(std::move(props));
        }
        return v;
    }

    void Properties(QObject* obj, QObject* def, const QString& prefix, std::vector<TStreamProperty>& out) {
        const QMetaObject* meta = obj->metaObject();
        if (def && def->metaObject() != meta) def = nullptr;
        const QStringList always = AlwaysStored(meta);
        for (int i = FirstStreamedProperty(meta); i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            if (!p.isReadable() || !p.isStored() || Hidden(meta, i) || !PredicateSaysStored(obj, p)) continue;
            const QString name = prefix + QLatin1String(p.name());
            const bool force = always.contains(QLatin1String(p.name()), Qt::CaseInsensitive);
            const QVariant v = p.read(obj);
            const QVariant dv = def ? p.read(def) : QVariant();
            if (IsObjectPointer(p.metaType())) {
                QObject* o = v.value<QObject*>();
                QObject* d = dv.value<QObject*>();
                if (o && AsComponent(o)) {
                    const QString ref = ReferenceText(o);
                    if (!ref.isEmpty() && (force || !def || ref != ReferenceText(d)))
                        out.push_back({name, TStreamValue::Ident(ref)});
                } else if (auto* coll = qobject_cast<TCollection*>(o)) {
                    TStreamValue cv = Collection(coll);
                    auto* dcoll = qobject_cast<TCollection*>(d);
                    if (force || !dcoll || !(cv == Collection(dcoll))) out.push_back({name, std::move(cv)});
                } else if (o) {
                    Properties(o, d, name + '.', out);
                    if (auto* persistent = qobject_cast<TPersistent*>(o)) {
                        TFiler filer(true, FRoot);
                        persistent->DefineProperties(filer);
                        Defined(filer, name + '.', out);
                    }
                } else if (d && def) {
                    out.push_back({name, TStreamValue()});
                }
                continue;
            }
            std::optional<TStreamValue> sv = Scalar(p, v);
            if (!sv) continue;
            if (p.metaType().id() == QMetaType::QStringList) {
                if (force || !def || !(*sv == *Scalar(p, dv))) out.push_back({name + QLatin1String(".Strings"), *sv});
                continue;
            }
            if (IsMethodType(p.metaType()) && sv->Kind == TStreamValue::vaNil) continue;
            if (force || !def || !(*sv == *Scalar(p, dv))) out.push_back({name, *sv});
        }
    }

    TComponentBase* FRoot;
    std::map<const QMetaObject*, QObject*> FDefaults;
};

// --- reader ------------------------------------------------------------------------------

struct TFixup {
    QPointer<QObject> Instance;
    QMetaProperty Property;
    QString Target;
};

class TTreeReader {
public:
    TTreeReader(TComponentBase* root, const TReaderOptions& options) : FRoot(root), FOptions(options) {}

    void ReadRoot(const TStreamObject& node, bool created) {
        FRoot->ReadingState();
        Begin(FRoot);
        if (created || !FRoot->IsDesigning()) {
            QString name = node.Name;
            if (!created) name = UniqueRootName(name);
            if (FOptions.OnSetName) FOptions.OnSetName(FRoot, name);
            Guard(FRoot->Self(), [&] { FRoot->SetName(name); });
        }
        Properties(FRoot->Self(), FRoot, node.Properties);
        for (const TStreamObject& child : node.Children) Child(child, FRoot, FRoot);
        FLine = 0;
        ResolveFixups();
        Finish();
    }

    QList<TComponentBase*> ReadInto(const std::vector<TStreamObject>& nodes, TComponentBase* parent) {
        QList<TComponentBase*> read;
        for (const TStreamObject& node : nodes)
            if (TComponentBase* c = Child(node, parent, FRoot)) read << c;
        FLine = 0;
        ResolveFixups();
        Finish();
        return read;
    }

    // Clears the loading state of everything read when reading stops early.
    void Abandon() {
        for (const QPointer<QObject>& o : std::as_const(FLoaded))
            if (TComponentBase* c = o ? AsComponent(o.data()) : nullptr) {
                c->SetState(TComponentStateItem::csLoading, false);
                c->SetState(TComponentStateItem::csReading, false);
            }
    }

private:
    // Names the text's line of what is being read, where it came from a text.
    void Error(const QString& what) {
        const QString message = FLine > 0 ? QStringLiteral("Line %1: %2").arg(FLine).arg(what) : what;
        if (FOptions.OnError && FOptions.OnError(message)) return;
        throw EReadError(message);
    }

    // Runs fn; an exception becomes a recoverable error about obj.
    template <typename F>
    bool Guard(QObject* obj, F&& fn) {
        try {
            fn();
            return true;
        } catch (const EReadError& e) {
            if (!FOptions.OnError) throw;
            Error(QStringLiteral("Error reading %1: %2").arg(ObjectName(obj), e.Message()));
        } catch (const std::exception& e) {
            Error(QStringLiteral("Error reading %1: %2").arg(ObjectName(obj), ExceptionMessage(e)));
        }
        return false;
    }

    void Begin(TComponentBase* c) {
        c->SetState(TComponentStateItem::csLoading, true);
        c->SetState(TComponentStateItem::csReading, true);
        FLoaded.append(QPointer<QObject>(c->Self()));
    }

    void Finish() {
        // Loaded() may create or free components; work on a snapshot.
        const QList<QPointer<QObject>> loaded = FLoaded;
        for (const QPointer<QObject>& o : loaded)
            if (TComponentBase* c = o ? AsComponent(o.data()) : nullptr) {
                c->SetState(TComponentStateItem::csLoading, false);
                c->SetState(TComponentStateItem::csReading, false);
            }
        for (const QPointer<QObject>& o : loaded)
            if (TComponentBase* c = o ? AsComponent(o.data()) : nullptr) c->Loaded();
    }

    QString UniqueRootName(const QString& name) const {
        TComponentBase* owner = FRoot->Owner();
        if (!owner || name.isEmpty()) return name;
        QString candidate = name;
        for (int n = 1; owner->FindComponent(candidate) && owner->FindComponent(candidate) != FRoot; ++n)
            candidate = name + QStringLiteral("_%1").arg(n);
        return candidate;
    }

    // Reads a nested object; returns the component or null when skipped.
    TComponentBase* Child(const TStreamObject& node, TComponentBase* parent, TComponentBase* owner) {
        FLine = node.Line;
        TComponentBase* c = nullptr;
        if (node.Flag == TStreamObject::ffInherited) {
            c = owner->FindComponent(node.Name);
            if (!c) return Error(QStringLiteral("Cannot find inherited component %1").arg(node.Name)), nullptr;
        } else {
            const TClassInfo* cls = FindClass(node.ClassName);
            if (!cls || !cls->Create) return Error(QStringLiteral("Class %1 not found").arg(node.ClassName)), nullptr;
            QObject* obj = nullptr;
            try {
                obj = cls->Create(owner->Self());
            } catch (const std::exception& e) {
                return Error(QStringLiteral("Error creating %1: %2").arg(node.ClassName, ExceptionMessage(e))), nullptr;
            }
            c = obj ? AsComponent(obj) : nullptr;
            if (!c) {
                delete obj;
                return Error(QStringLiteral("Class %1 is not a component").arg(node.ClassName)), nullptr;
            }
            if (node.Flag == TStreamObject::ffInline) c->SetState(TComponentStateItem::csInline, true);
            QString name = node.Name;
            if (FOptions.OnSetName) FOptions.OnSetName(c, name);
            try {
                c->SetName(name);
            } catch (const std::exception& e) {
                delete c->Self();
                return Error(ExceptionMessage(e)), nullptr;
            }
            if (name.compare(node.Name, Qt::CaseInsensitive) != 0 && !node.Name.isEmpty())
                FRenamed.insert(node.Name.toLower(), name);
        }
        Begin(c);
        if (!Guard(c->Self(), [&] { c->SetParentComponent(parent); })) {
            if (node.Flag != TStreamObject::ffInherited) {
                FLoaded.removeLast();
                delete c->Self();
            }
            return nullptr;
        }
        Properties(c->Self(), c, node.Properties);
        TComponentBase* childOwner = node.Flag == TStreamObject::ffInline ? c : owner;
        for (const TStreamObject& child : node.Children) Child(child, c, childOwner);
        return c;
    }

    void Properties(QObject* obj, TComponentBase* component, const std::vector<TStreamProperty>& props) {
        TFiler filer(false, FRoot);
        if (component)
            component->DefineProperties(filer);
        else if (auto* p = qobject_cast<TPersistent*>(obj))
            p->DefineProperties(filer);
        for (const TStreamProperty& p : props) {
            FLine = p.Line;
            Guard(obj, [&] { Property(obj, filer, p.Name, p.Value); });
        }
    }

    void Property(QObject* obj, const TFiler& filer, const QString& path, const TStreamValue& value) {
        if (const TFiler::TDefined* d = filer.Find(path)) {
            if (d->Read) d->Read(value);
            return;
        }
        const qsizetype dot = path.indexOf('.');
        const QString head = dot < 0 ? path : path.left(dot);
        const QMetaProperty p = FindProperty(obj->metaObject(), head);
        if (!p.isValid()) throw EReadError(QStringLiteral("Property %1 does not exist").arg(path));
        if (dot < 0) return Assign(obj, p, value);
        const QString rest = path.mid(dot + 1);
        if (p.metaType().id() == QMetaType::QStringList && rest.compare(QLatin1String("Strings"), Qt::CaseInsensitive) == 0)
            return Assign(obj, p, value);
        QObject* sub = IsObjectPointer(p.metaType()) ? p.read(obj).value<QObject*>() : nullptr;
        if (!sub || AsComponent(sub)) throw EReadError(QStringLiteral("Property %1 does not exist").arg(path));
        TFiler subFiler(false, FRoot);
        if (auto* persistent = qobject_cast<TPersistent*>(sub)) persistent->DefineProperties(subFiler);
        Property(sub, subFiler, rest, value);
    }

    [[noreturn]] static void Invalid(const QMetaProperty& p) {
        throw EReadError(QStringLiteral("Invalid value of property %1").arg(QLatin1String(p.name())));
    }

    static void Write(QObject* obj, const QMetaProperty& p, const QVariant& v) {
        if (!p.isWritable() || !p.write(obj, v)) Invalid(p);
    }

    static double FloatOf(const QMetaProperty& p, const TStreamValue& v) {
        if (v.Kind == TStreamValue::vaFloat) return v.Float;
        if (v.Kind == TStreamValue::vaInt) return double(v.Int);
        if (v.IsIdent("NaN")) return std::numeric_limits<double>::quiet_NaN();
        if (v.IsIdent("Inf")) return std::numeric_limits<double>::infinity();
        if (v.IsIdent("-Inf")) return -std::numeric_limits<double>::infinity();
        Invalid(p);
    }

    void Assign(QObject* obj, const QMetaProperty& p, const TStreamValue& v) {
        const QMetaType t = p.metaType();
        if (IsMethodType(t)) return AssignMethod(obj, p, v);
        if (IsObjectPointer(t)) return AssignObject(obj, p, v);
        if (p.isFlagType()) {
            if (v.Kind == TStreamValue::vaInt) return Write(obj, p, FromRawInt(t, v.Int));
            if (v.Kind != TStreamValue::vaSet) Invalid(p);
            qint64 bits = 0;
            for (const QString& m : v.Set) {
                std::optional<int> value = EnumValue(p.enumerator(), m);
                if (!value) throw EReadError(QStringLiteral("Invalid set member %1 of property %2").arg(m, QLatin1String(p.name())));
                bits |= *value;
            }
            return Write(obj, p, FromRawInt(t, bits));
        }
        if (p.isEnumType()) {
            if (v.Kind == TStreamValue::vaInt) {
                if (v.Int < std::numeric_limits<int>::min() || v.Int > std::numeric_limits<quint32>::max()) Invalid(p);
                return Write(obj, p, FromRawInt(t, qint64(qint32(quint32(v.Int)))));
            }
            if (v.Kind != TStreamValue::vaIdent) Invalid(p);
            std::optional<int> value = EnumValue(p.enumerator(), v.Str);
            if (!value) Invalid(p);
            return Write(obj, p, FromRawInt(t, *value));
        }
        switch (t.id()) {
            case QMetaType::Bool:
                if (v.IsIdent("True")) return Write(obj, p, true);
                if (v.IsIdent("False")) return Write(obj, p, false);
                Invalid(p);
            case QMetaType::Int:
                if (v.Kind != TStreamValue::vaInt || v.Int < std::numeric_limits<int>::min() ||
                    v.Int > std::numeric_limits<quint32>::max())
                    Invalid(p);
                return Write(obj, p, int(qint32(quint32(v.Int))));
            case QMetaType::UInt:
                if (v.Kind != TStreamValue::vaInt || v.Int < 0 || v.Int > std::numeric_limits<quint32>::max()) Invalid(p);
                return Write(obj, p, uint(v.Int));
            case QMetaType::Short: case QMetaType::UShort: case QMetaType::UChar: case QMetaType::SChar:
            case QMetaType::Long: case QMetaType::ULong: {
                if (v.Kind != TStreamValue::vaInt) Invalid(p);
                QVariant x(v.Int);
                if (!x.convert(t)) Invalid(p);
                return Write(obj, p, x);
            }
            case QMetaType::LongLong: case QMetaType::ULongLong:
                if (v.Kind != TStreamValue::vaInt) Invalid(p);
                return Write(obj, p, QVariant(v.Int));
            case QMetaType::Double: return Write(obj, p, FloatOf(p, v));
            case QMetaType::Float: return Write(obj, p, float(FloatOf(p, v)));
            case QMetaType::QString:
                if (v.Kind != TStreamValue::vaString) Invalid(p);
                return Write(obj, p, v.Str);
            case QMetaType::QChar:
                if (v.Kind != TStreamValue::vaString || v.Str.size() != 1) Invalid(p);
                return Write(obj, p, v.Str[0]);
            case QMetaType::QByteArray:
                if (v.Kind != TStreamValue::vaBinary) Invalid(p);
                return Write(obj, p, v.Bytes);
            case QMetaType::QStringList: {
                if (v.Kind != TStreamValue::vaList) Invalid(p);
                QStringList list;
                for (const TStreamValue& item : v.List) {
                    if (item.Kind != TStreamValue::vaString) Invalid(p);
                    list << item.Str;
                }
                return Write(obj, p, list);
            }
            case QMetaType::QVariant: return Write(obj, p, QVariant::fromValue(VariantOf(p, v)));
            default: break;
        }
        throw EReadError(QStringLiteral("Property %1 cannot be read").arg(QLatin1String(p.name())));
    }

    static QVariant VariantOf(const QMetaProperty& p, const TStreamValue& v) {
        switch (v.Kind) {
            case TStreamValue::vaNil: return {};
            case TStreamValue::vaInt:
                if (v.Int >= std::numeric_limits<int>::min() && v.Int <= std::numeric_limits<int>::max()) return int(v.Int);
                return v.Int;
            case TStreamValue::vaFloat: return v.Float;
            case TStreamValue::vaString: return v.Str;
            default: break;
        }
        if (v.IsIdent("True")) return true;
        if (v.IsIdent("False")) return false;
        if (v.IsIdent("Null") || v.IsIdent("nil")) return {};
        Invalid(p);
    }

    void AssignMethod(QObject* obj, const QMetaProperty& p, const TStreamValue& v) {
        if (v.IsIdent("nil")) return Write(obj, p, QVariant::fromValue(TMethod()));
        if (v.Kind != TStreamValue::vaIdent) Invalid(p);
        const QMetaObject* meta = FRoot->Self()->metaObject();
        for (int i = 0; i < meta->methodCount(); ++i) {
            const QMetaMethod m = meta->method(i);
            if (m.methodType() == QMetaMethod::Signal) continue;
            if (v.Str.compare(QString::fromLatin1(m.name()), Qt::CaseInsensitive) == 0)
                return Write(obj, p, QVariant::fromValue(TMethod{FRoot->Self(), m.name()}));
        }
        throw EReadError(QStringLiteral("Method %1 of event %2 not found").arg(v.Str, QLatin1String(p.name())));
    }

    void AssignObject(QObject* obj, const QMetaProperty& p, const TStreamValue& v) {
        if (v.IsIdent("nil")) {
            QObject* null = nullptr;
            return Write(obj, p, QVariant(p.metaType(), &null));
        }
        if (v.Kind == TStreamValue::vaIdent) {
            FFixups.push_back({QPointer<QObject>(obj), p, v.Str});
            return;
        }
        if (v.Kind == TStreamValue::vaCollection) {
            auto* coll = qobject_cast<TCollection*>(p.read(obj).value<QObject*>());
            if (!coll) Invalid(p);
            coll->BeginUpdate();
            try {
                coll->Clear();
                for (const auto& item : v.Items) Properties(coll->Add(), nullptr, item);
            } catch (...) {
                coll->EndUpdate();
                throw;
            }
            coll->EndUpdate();
            return;
        }
        Invalid(p);
    }

    TComponentBase* FindReference(const QString& path) const {
        const QStringList parts = path.split('.');
        const bool rootNamed = !FRoot->Name().isEmpty() && parts[0].compare(FRoot->Name(), Qt::CaseInsensitive) == 0;
        if (parts.size() == 1) {
            // An owned component before the root of the same name.
            if (TComponentBase* c = FRoot->FindComponent(FRenamed.value(parts[0].toLower(), parts[0]))) return c;
            return rootNamed ? FRoot : nullptr;
        }
        if (!rootNamed) return TComponentBase::FindGlobalComponent(path);
        TComponentBase* c = FRoot;
        for (int i = 1; c && i < parts.size(); ++i) c = c->FindComponent(parts[i]);
        return c;
    }

    void ResolveFixups() {
        for (const TFixup& f : FFixups) {
            if (!f.Instance) continue;
            TComponentBase* target = FindReference(f.Target);
            if (!target) continue;  // unresolved references stay nil
            QObject* o = target->Self();
            if (!o->metaObject()->inherits(f.Property.metaType().metaObject())) continue;
            Guard(f.Instance.data(), [&] { Write(f.Instance.data(), f.Property, QVariant(f.Property.metaType(), &o)); });
        }
    }

    TComponentBase* FRoot;
    const TReaderOptions& FOptions;
    int FLine = 0;  // the text line of what is being read, 0 when unknown
    QList<QPointer<QObject>> FLoaded;
    std::vector<TFixup> FFixups;
    QHash<QString, QString> FRenamed;  // lower-case name in the text -> name given
};
}  // namespace

// --- public routines ------------------------------------------------------------------------

TStreamObject WriteComponentTree(TComponentBase* component, TComponentBase* root) {
    if (!component) throw EComponentError(QStringLiteral("No component to write"));
    return TTreeWriter(root ? root : component).Object(component);
}

QStringList ResolveHeadingClasses(const TStreamObject& tree) {
    QStringList unknown;
    for (const QString& name : HeadingClassNames(tree))
        if (!ResolveClass(name)) unknown << name;
    return unknown;
}

TComponentBase* ReadComponentTree(const TStreamObject& tree, TComponentBase* root, const TReaderOptions& options) {
    ResolveHeadingClasses(tree);
    bool created = false;
    if (!root) {
        const TClassInfo* cls = FindClass(tree.ClassName);
        if (!cls || !cls->Create) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(tree.ClassName));
        QObject* obj = cls->Create(nullptr);
        root = obj ? AsComponent(obj) : nullptr;
        if (!root) {
            delete obj;
            throw EClassNotFound(QStringLiteral("Class %1 is not a component").arg(tree.ClassName));
        }
        created = true;
    }
    TTreeReader reader(root, options);
    try {
        reader.ReadRoot(tree, created);
    } catch (...) {
        if (created) {
            delete root->Self();
        } else {
            reader.Abandon();
        }
        throw;
    }
    return root;
}

TComponentBase* ReadComponentTreeInto(const TStreamObject& tree, TComponentBase* owner, TComponentBase* parent,
                                      const TReaderOptions& options) {
    return ReadComponentTreesInto({tree}, owner, parent, options).value(0);
}

QList<TComponentBase*> ReadComponentTreesInto(const std::vector<TStreamObject>& trees, TComponentBase* owner,
                                              TComponentBase* parent, const TReaderOptions& options) {
    if (!owner) throw EComponentError(QStringLiteral("No owner to read into"));
    for (const TStreamObject& tree : trees) ResolveHeadingClasses(tree);
    TTreeReader reader(owner, options);
    try {
        return reader.ReadInto(trees, parent);
    } catch (...) {
        reader.Abandon();
        throw;
    }
}

QString WriteComponentToText(TComponentBase* component) { return WriteComponentText(WriteComponentTree(component)); }

TComponentBase* ReadComponentFromText(const QString& text, TComponentBase* root, const TReaderOptions& options) {
    return ReadComponentTree(ParseComponentText(text), root, options);
}

QByteArray WriteComponentToBinary(TComponentBase* component) { return WriteComponentBinary(WriteComponentTree(component)); }

TComponentBase* ReadComponentFromBinary(const QByteArray& data, TComponentBase* root, const TReaderOptions& options) {
    return ReadComponentTree(ReadComponentBinary(data), root, options);
}

void WriteComponentFile(TComponentBase* component, const QString& fileName, bool binary) {
    const TStreamObject tree = WriteComponentTree(component);
    const QByteArray bytes = binary ? WriteComponentBinary(tree) : WriteComponentText(tree).toLatin1();
    SaveFileSafely(fileName, bytes);
}

TStreamObject ReadComponentFileTree(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) throw Exception(QStringLiteral("Cannot open file %1: %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read file %1: %2").arg(fileName, f.errorString()));
    if (IsComponentBinary(bytes)) return ReadComponentBinary(bytes);
    return ParseComponentText(DecodeComponentFile(bytes));
}

TComponentBase* ReadComponentFile(const QString& fileName, TComponentBase* root, const TReaderOptions& options) {
    return ReadComponentTree(ReadComponentFileTree(fileName), root, options);
}
