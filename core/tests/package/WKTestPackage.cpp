// A package that only the tests load: registering its one class when it is
// loaded is what the class-module loader relies on.
#include "ClassRegistry.h"

#include <QObject>

class TWKTestPackageObject : public QObject {
    Q_OBJECT
public:
    explicit TWKTestPackageObject(QObject* owner = nullptr) : QObject(owner) {}
};

WK_REGISTER_CLASS(TWKTestPackageObject)

#include "WKTestPackage.moc"
