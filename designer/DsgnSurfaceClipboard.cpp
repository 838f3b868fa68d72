// Copy, cut and paste of designed controls through the clipboard seam.
//
// The clipboard data under the designer's private format: for each copied
// control a 32-bit little-endian length and the binary component stream of
// the control with its children (which begins with its own signature), then
// a zero length that ends the list. Data that breaks off or does not follow
// this shape pastes nothing.
#include "ClassRegistry.h"
#include "ComponentBinary.h"
#include "ComponentStreaming.h"
#include "DsgnSurface.h"
#include "DsgnSurfaceEngine.h"
#include "UIServices.h"

#include <QtEndian>

namespace {
QByteArray PackControls(const std::vector<TStreamObject>& trees) {
    QByteArray out;
    auto length = [&out](quint32 n) {
        char le[4];
        qToLittleEndian(n, le);
        out.append(le, 4);
    };
    for (const TStreamObject& t : trees) {
        const QByteArray bytes = WriteComponentBinary(t);
        length(quint32(bytes.size()));
        out.append(bytes);
    }
    length(0);
    return out;
}

std::vector<TStreamObject> UnpackControls(const QByteArray& data) {
    std::vector<TStreamObject> trees;
    qsizetype at = 0;
    for (;;) {
        if (data.size() - at < 4) throw EParserError(QStringLiteral("The clipboard data breaks off"));
        const quint32 n = qFromLittleEndian<quint32>(data.constData() + at);
        at += 4;
        if (n == 0) break;
        if (quint64(data.size() - at) < n) throw EParserError(QStringLiteral("The clipboard data breaks off"));
        trees.push_back(ReadComponentBinary(data.mid(at, n)));
        at += n;
    }
    if (at != data.size()) throw EParserError(QStringLiteral("The clipboard data has bytes after its end"));
    return trees;
}
}  // namespace

bool TCustomFormDesigner::CanCopy() const {
    if (!FActive) return false;
    TControl* def = FSelectedControls->DefaultControl();
    if (!def || def == FDesignControl) return false;
    for (TControl* c : FSelectedControls->Controls())
        if (c->parentWidget() == def->parentWidget() && DeepLockMode(c).Contains(lmNoCopy)) return false;
    return true;
}

bool TCustomFormDesigner::CanCut() const {
    if (!CanCopy()) return false;
    TControl* def = FSelectedControls->DefaultControl();
    for (TControl* c : FSelectedControls->Controls())
        if (c->parentWidget() == def->parentWidget() && DeepLockMode(c).Contains(lmNoDelete)) return false;
    return true;
}

bool TCustomFormDesigner::CanPaste() const {
    if (!FActive) return false;
    TControl* def = FSelectedControls->DefaultControl();
    TControl* container = !def || def == FDesignControl ? FDesignControl : ContainerOf(def->ParentControl());
    if (LockModeOf(container).Contains(lmNoInsertIn)) return false;
    return UIServices().Clipboard().HasFormat(FClipboardFormat);
}

void TCustomFormDesigner::Copy() {
    CheckActive();
    if (!CanCopy()) return;
    FClipbrdFormatRegistered = true;
    TControl* def = FSelectedControls->DefaultControl();
    FSelectedControls->ClearNotChildrensOf(def->parentWidget());
    std::vector<TStreamObject> trees;
    for (TControl* c : FSelectedControls->Controls())
        if (!DeepLockMode(c).Contains(lmNoCopy)) trees.push_back(WriteComponentTree(c, FDesignControl));
    UIServices().Clipboard().SetData({{FClipboardFormat, PackControls(trees)}});
}

void TCustomFormDesigner::Cut() {
    CheckActive();
    if (!CanCut()) return;
    Copy();
    DeleteSelectedControls();
}

void TCustomFormDesigner::Paste() {
    CheckActive();
    if (!CanPaste()) return;
    const std::vector<TStreamObject> trees = UnpackControls(UIServices().Clipboard().GetData(FClipboardFormat));
    TControl* def = FSelectedControls->DefaultControl();
    TControl* container = !def || def == FDesignControl ? FDesignControl : ContainerOf(def->ParentControl());
    QList<QPointer<QObject>> created;
    TReaderOptions options;
    options.OnSetName = [&](TComponentBase* c, QString& name) {
        created << QPointer<QObject>(c->Self());
        if (!FDesignControl->FindComponent(name)) return;
        const TClassInfo* cls = FindClassByMeta(c->Self()->metaObject());
        name = FEng->UniqueName(cls ? cls->Name : c->ClassName());
    };
    QList<TComponentBase*> pasted;
    try {
        pasted = ReadComponentTreesInto(trees, FDesignControl, container, options);
    } catch (...) {
        // Nothing half pasted stays on the form.
        for (qsizetype i = created.size() - 1; i >= 0; --i) delete created[i].data();
        throw;
    }
    QList<TControl*> controls;
    for (TComponentBase* p : pasted) {
        auto* c = qobject_cast<TControl*>(p->Self());
        if (!c) continue;
        controls << c;
        if (!IsDesignable(c)) continue;
        auto occupied = [&] {
            for (TControl* s : container->Controls())
                if (s != c && s->Left() == c->Left() && s->Top() == c->Top()) return true;
            return false;
        };
        while (occupied()) c->SetBounds(c->Left() + FGrid->XStep(), c->Top() + FGrid->YStep(), c->Width(), c->Height());
    }
    FSelectedControls->SelectControls(controls);
    FEng->Modified();
}
