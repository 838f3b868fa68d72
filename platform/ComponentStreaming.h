#pragma once
// Writing components into their stored form and reading them back, over the
// metadata that the classes declare (see Components.h for how a class
// publishes properties, sub-objects, collections, references, events and
// defined properties).
//
// Reading is done in stages so that bad input changes nothing:
//  1. the text (or binary data) is parsed whole into a TStreamObject;
//  2. the class names of its headings that are not registered are asked of
//     the class resolver (ClassRegistry.h), which may load packages; an
//     exception of the resolver stops the read here;
//  3. the tree is applied: with no root a new one of the first heading's
//     class is created (EClassNotFound when it is unknown); with a root, the
//     first heading's class is ignored and its properties go to the root.
//     Nested objects are owned by the root and put inside their enclosing
//     component (SetParentComponent).
//  4. references are resolved, then every component read gets Loaded() once.
// Errors while applying (unknown property, wrong value, nested object whose
// class cannot be created) go to the OnError hook; when it returns true the
// property or object is skipped and reading goes on; otherwise EReadError is
// raised (components created so far stay with their owner).
#include "ComponentText.h"
#include "Components.h"

#include <QString>
#include <functional>

#pragma GCC visibility push(default)

class EReadError : public Exception {
public:
    using Exception::Exception;
};

class EClassNotFound : public EReadError {
public:
    using EReadError::EReadError;
};

// Handed to DefineProperties: declares properties that are not published.
class TFiler {
public:
    using TReadProc = std::function<void(const TStreamValue&)>;
    using TWriteProc = std::function<TStreamValue()>;

    TFiler(bool writing, TComponentBase* root) : FWriting(writing), FRoot(root) {}
    bool Writing() const { return FWriting; }
    // The root of the tree being read or written.
    TComponentBase* Root() const { return FRoot; }

    // A property of any value kind; written only when hasData.
    void DefineProperty(const QString& name, TReadProc read, TWriteProc write, bool hasData);
    // A property stored as binary data.
    void DefineBinaryProperty(const QString& name, std::function<void(const QByteArray&)> read,
                              std::function<QByteArray()> write, bool hasData);

    struct TDefined {
        QString Name;
        TReadProc Read;
        TWriteProc Write;
        bool HasData;
    };
    const std::vector<TDefined>& Defined() const { return FDefined; }
    const TDefined* Find(const QString& name) const;

private:
    bool FWriting;
    TComponentBase* FRoot;
    std::vector<TDefined> FDefined;
};

struct TReaderOptions {
    // A recoverable error while applying; true skips it and reading goes on.
    std::function<bool(const QString& message)> OnError;
    // Called with the name a read component is about to get; may change it
    // (a paste gives unique names).
    std::function<void(TComponentBase* component, QString& name)> OnSetName;
};

// The error hook of form loading: one line "Error loading form: <message>"
// per error, every error skipped.
std::function<bool(const QString&)> LogReaderErrors(std::function<void(const QString& line)> writeLine);

// The stored form of a component and of everything written inside it. root
// is the component whose owned components count as its children and whose
// names references use (default: the component itself); the designer writes
// single controls of a form with the form as root.
TStreamObject WriteComponentTree(TComponentBase* component, TComponentBase* root = nullptr);
// Makes the unknown heading classes known through the class resolver; returns
// the names that stay unknown. Exceptions of the resolver pass through.
QStringList ResolveHeadingClasses(const TStreamObject& tree);
// Applies a tree (stages 2 to 4 above); returns the root.
TComponentBase* ReadComponentTree(const TStreamObject& tree, TComponentBase* root, const TReaderOptions& options = {});

// Reads a tree as one new component owned by owner and put inside parent
// (a paste): its heading is treated like a nested object's, references are
// resolved among owner's components, and a name changed by OnSetName is
// followed by the references of the same tree. Returns the new component,
// or null when it was skipped through OnError.
TComponentBase* ReadComponentTreeInto(const TStreamObject& tree, TComponentBase* owner, TComponentBase* parent,
                                      const TReaderOptions& options = {});

// The same for several trees at once (a paste of several controls): a
// reference from one tree to a renamed component of another follows the new
// name too. Returns the components read, in order.
QList<TComponentBase*> ReadComponentTreesInto(const std::vector<TStreamObject>& trees, TComponentBase* owner,
                                              TComponentBase* parent, const TReaderOptions& options = {});

// Text and binary forms of the above.
QString WriteComponentToText(TComponentBase* component);
TComponentBase* ReadComponentFromText(const QString& text, TComponentBase* root, const TReaderOptions& options = {});
QByteArray WriteComponentToBinary(TComponentBase* component);
TComponentBase* ReadComponentFromBinary(const QByteArray& data, TComponentBase* root, const TReaderOptions& options = {});

// Files: text (ASCII, as forms are saved) or binary; reading detects which,
// and the text's encoding (DecodeComponentFile). File errors raise Exception.
void WriteComponentFile(TComponentBase* component, const QString& fileName, bool binary = false);
TStreamObject ReadComponentFileTree(const QString& fileName);
TComponentBase* ReadComponentFile(const QString& fileName, TComponentBase* root, const TReaderOptions& options = {});

#pragma GCC visibility pop
